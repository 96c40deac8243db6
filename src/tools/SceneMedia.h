#pragma once
// The media files a scene description needs: the pictures its objects are painted
// with, the waves of its sounds, the files of its data items and its nested worlds
// with what they need in turn. Each is found by the name the world gives it, in a
// list of directories, so that a world can be put in an archive with its media
// stored under those very names.

#include <string>
#include <vector>

#include "scene/records/SceneDocument.h"

namespace velorina::tools {

enum class MediaKind { Picture, Wave, Data, World };

struct MediaFile {
  MediaKind kind = MediaKind::Picture;
  std::string name;    // as the world names it: the archive entry it becomes
  std::string path;    // the file found for it
  std::string usedBy;  // where the name first appears, for messages ("objects[2]")
};

// Every media file `doc` names, each once (names compared without regard to ASCII
// case, the first spelling kept), in the order they are first named; nested worlds
// are read and their media follow them. A name is looked for in each directory in
// turn: as a relative path, then by its file-name part without regard to case; an
// absolute path is taken as it is. Texture references ("->FILE::ENTRY") name no
// media of their own. Throws Error naming `source`, the directories and every
// name that was not found.
std::vector<MediaFile> findSceneMedia(const SceneDocument& doc, const std::string& source,
                                      const std::vector<std::string>& directories);

// The file for `name` in the directories (see above); empty when there is none.
std::string findMediaFile(const std::string& name, const std::vector<std::string>& directories);

}  // namespace velorina::tools
