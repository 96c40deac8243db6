#pragma once
// Turns the names stored in worlds into files and resource names. Worlds made on
// Windows carry names like "C:\TEXTURES\Wall.bmp": the file-name part is the text
// after the last "\", "/" or ":", and where a name does not exist as written, the
// file is found in its directory without regard to ASCII letter case.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velorina {

// The places a scene looks for files, in the order they are searched after the
// name itself: the scene file's directory, the current directory, the program's
// directory, the search paths, and the directories of the sub-scenes' names.
struct FileSearchPlaces {
  std::string sceneFileName;
  std::string programDirectory;
  std::vector<std::string> searchPaths;
  std::vector<std::string> subSceneNames;
};

// The path of the first existing regular file among the name itself (trimmed of
// blanks and cut at a zero character) and its file-name part in each place; the
// name unchanged when none exists.
std::string ResolveFileName(const std::string& name, const FileSearchPlaces& places);

// The resource name for a stored name: its file-name part without blanks, "-" and
// ".", up to the first "." ("C:\maps\my-wall 1.bmp" gives "mywall1").
std::string ResolveResourceName(const std::string& name);

// The path of `file` inside `directory` (empty: the current directory), matched
// without regard to ASCII case when the exact name does not exist; empty when there
// is no such regular file.
std::string findFileIgnoringCase(const std::string& directory, const std::string& file);

// The directory of the running program (empty when it cannot be found).
std::string runningProgramDirectory();

// The directory part of a path with "\" or "/" separators (empty when there is none).
std::string directoryOf(const std::string& path);

// A resource of the program by type and resolved name: by identifier when the name
// is a whole number, else by name.
std::optional<std::span<const std::uint8_t>> findProgramResource(const std::string& type, const std::string& name);

}  // namespace velorina
