#include "shell/SceneLumpChoice.h"

#include <vector>

#include "archive/Messages.h"

namespace velorina {

namespace {

bool endsWithD3D(const std::string& name) {
  return name.size() >= 4 && upperAscii(name.substr(name.size() - 4)) == ".D3D";
}

[[noreturn]] void notFound(const std::string& name, const std::string& archiveName, std::string detail) {
  throw EWadError(std::string(messages::kEntryNotFound) + ":\r\n" + name,
                  ErrorContext{archiveName, std::nullopt, std::nullopt, std::move(detail)});
}

std::string listOf(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& n : names) text += (text.empty() ? "\"" : ", \"") + n + "\"";
  return text;
}

}  // namespace

std::string chooseSceneLump(const TWad& wad, const std::optional<std::string>& wanted, const std::string& archiveName) {
  if (wanted) {
    const std::string found = resolveArchiveEntryName(wad, *wanted);
    if (!wad.Exists(found)) notFound(*wanted, archiveName, {});
    return found;
  }
  const std::string byDefault = resolveArchiveEntryName(wad, kDefaultMapName);
  if (wad.Exists(byDefault)) return byDefault;
  std::vector<std::string> scenes;
  for (const auto& n : wad.Names()) {
    if (endsWithD3D(n)) scenes.push_back(n);
  }
  if (scenes.size() == 1) return scenes.front();
  notFound(kDefaultMapName, archiveName,
           scenes.empty() ? "the archive holds no .D3D entry; name one with --lump"
                          : "the archive holds several .D3D entries: " + listOf(scenes) + "; name one with --lump");
}

}  // namespace velorina
