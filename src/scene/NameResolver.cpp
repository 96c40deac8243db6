#include "scene/NameResolver.h"

#include <dirent.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "archive/FileStream.h"
#include "archive/Wad.h"
#include "archive/Resources.h"

namespace velorina {

namespace {

std::string trimmed(const std::string& name) {
  std::string s = name.substr(0, name.find('\0'));
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

std::string join(const std::string& directory, const std::string& file) {
  if (directory.empty()) return file;
  return directory.back() == '/' ? directory + file : directory + "/" + file;
}

// A Windows path "C:\dir\name" as a Linux path: separators become "/".
std::string withSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

std::string runningProgramDirectory() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.parent_path().string();
}

std::string directoryOf(const std::string& path) {
  const auto p = path.find_last_of("\\/");
  return p == std::string::npos ? std::string() : withSlashes(path.substr(0, p));
}

std::string findFileIgnoringCase(const std::string& directory, const std::string& file) {
  if (file.empty()) return {};
  const std::string exact = join(directory, file);
  if (isRegularFile(exact)) return exact;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.empty() ? "." : directory.c_str()));
  if (!dir) return {};
  const std::string wanted = upperAscii(file);
  while (const dirent* e = ::readdir(dir.get())) {
    if (upperAscii(e->d_name) != wanted) continue;
    const std::string candidate = join(directory, e->d_name);
    if (isRegularFile(candidate)) return candidate;
  }
  return {};
}

std::string ResolveFileName(const std::string& name, const FileSearchPlaces& places) {
  const std::string b = trimmed(name);
  const std::string f = fileNamePart(b);
  if (b.empty()) return name;
  if (isRegularFile(b)) return b;
  if (const std::string asPath = withSlashes(b); asPath != b || b.find('/') != std::string::npos) {
    if (auto found = findFileIgnoringCase(directoryOf(asPath), fileNamePart(asPath)); !found.empty()) return found;
  }
  std::vector<std::string> directories;
  if (!places.sceneFileName.empty()) directories.push_back(directoryOf(places.sceneFileName));
  directories.emplace_back();  // the current directory
  if (!places.programDirectory.empty()) directories.push_back(places.programDirectory);
  for (const auto& p : places.searchPaths) directories.push_back(withSlashes(p));
  for (const auto& s : places.subSceneNames) directories.push_back(directoryOf(s));
  for (const auto& d : directories) {
    if (auto found = findFileIgnoringCase(d, f); !found.empty()) return found;
  }
  return name;
}

std::string ResolveResourceName(const std::string& name) {
  std::string out;
  for (char c : fileNamePart(name)) {
    if (c == '.') break;
    if (c == ' ' || c == '-') continue;
    out += c;
  }
  return out;
}

std::optional<std::span<const std::uint8_t>> findProgramResource(const std::string& type, const std::string& name) {
  const bool number = !name.empty() && name.size() < 10 &&
                      std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
  return number ? ResourceRegistry::program().find(type, std::stoi(name)) : ResourceRegistry::program().find(type, name);
}

}  // namespace velorina
