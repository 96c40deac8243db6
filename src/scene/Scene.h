#pragma once
// TD3DScene: owns everything a world consists of (surface objects, lights, data
// items, actions) and the resources they share (device textures, the open archive,
// search paths), keeps the scene clock, loads worlds and draws them frame by frame.
// It is itself a scene object, so a scene can sit inside another; a sub-scene
// shares the texture cache and search paths of the scene that contains it.

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/CompressionLevel.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"
#include "doommap/MapImport.h"
#include "platform/display/IClock.h"
#include "scene/Action.h"
#include "scene/NameResolver.h"
#include "scene/NamedList.h"
#include "scene/records/SceneDocument.h"
#include "scene/objects/BaseAudio.h"
#include "scene/objects/CustomData.h"
#include "scene/objects/D3DObject.h"
#include "scene/objects/SceneLight.h"
#include "scene/records/TextureNames.h"

namespace velorina {

class SoundDevice;
class TD3DPolygon;
class TDirect3DTexture2;
class ToneGenHost;
class MessageReporter;
class MessageRelay;

// What changed since the last frame.
enum PendingChange : std::uint8_t { pcPosition = 1, pcRotation = 2, pcLighting = 4 };

// One item of any of the scene's five lists, as the queries collect them.
using SceneItemRef = std::variant<TD3DObject*, TD3DBaseAudio*, TCustomData*, TD3DAction*, TD3DSceneLight*>;

// Placement of what a scene stream adds: rotation angles, then a translation.
struct ScenePlacement {
  D3DVECTOR rotation;
  D3DVECTOR translation;
};

class TD3DScene final : public TD3DObject, public IActionScene {
  class ChildKey {
    friend class TD3DScene;
    ChildKey() = default;
  };

 public:
  // A top-level scene drawing on `device` (may be null: nothing is drawn), playing
  // through `sound` (may be null: the scene keeps a silent device of its own), timed
  // by `clock`; all three must outlive the scene.
  TD3DScene(DXDraw* device, SoundDevice* sound, const IClock& clock);
  // The same, with the directory that ResolveFileName searches as the program's
  // (the one-argument-less form takes the running program's own directory).
  TD3DScene(DXDraw* device, SoundDevice* sound, const IClock& clock, std::string programDirectory);
  // A sub-scene placed by `info`, loaded from the world its name gives, sharing the
  // parent's textures and search paths. Refuses (ESceneError) a world that includes
  // itself or nests deeper than kMaxNesting.
  static std::unique_ptr<TD3DScene> CreateChild(const TD3DSceneInfo& info, TD3DScene& parent);
  TD3DScene(ChildKey, TD3DScene& parent);
  ~TD3DScene() override;

  static constexpr int kMaxNesting = 16;

  // --- scene object -------------------------------------------------------
  void Prepare() override {}
  void SetHidden(bool hidden) override;
  std::uint8_t KindCode() const override { return 7; }
  std::int32_t ObjectID() const override { return SceneInfo.ID; }
  // A nested scene draws by running its own frame.
  void Draw() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& angles) override;
  void AddTextureNames(std::vector<std::string>& list) const override;
  float UpdateDistance(const D3DVECTOR& eye) override;
  std::string GetTextureName() const override { return {}; }
  D3DVECTOR GetCenter(float dz) const override;
  void ApplyLight(const TD3DSceneLight& light) override;
  std::int32_t VertexCount() const override;
  std::int32_t PrimitiveCount() const override;

  // --- clock and actions ---------------------------------------------------
  double SceneTime() const override;
  double SortInterval() const override { return sortInterval_; }
  void MoveTargets(std::int32_t kind, std::int32_t id, const D3DVECTOR& move) override;
  void RotateTargetsAboutCentres(std::int32_t kind, std::int32_t id, const D3DVECTOR& angles) override;
  void RotateTargetsAboutPoint(std::int32_t kind, std::int32_t id, const D3DVECTOR& pivot,
                               const D3DVECTOR& angles) override;
  void AddAction(const TD3DActionInfo& info);
  void DeleteAction(std::size_t index);
  void DeleteActionsById(std::int32_t id);
  void ReplaceAction(std::size_t index, const TD3DActionInfo& info);
  void DeleteTemporaryActions();

  // --- emptying and placing -------------------------------------------------
  void ClearObjects();
  void ClearAll();
  void Clear();
  void MoveAllBy(const D3DVECTOR& v);
  void RotateAll(const D3DVECTOR& angles);
  void MoveAllByXYZ(float x, float y, float z) { MoveAllBy({x, y, z}); }
  void RotateAllXYZ(float x, float y, float z) { RotateAll({x, y, z}); }
  float DistanceToPoint(const D3DVECTOR& p) const;
  float DistanceToXYZ(float x, float y, float z) const { return DistanceToPoint({x, y, z}); }

  // --- names and textures ---------------------------------------------------
  std::string ResolveFileName(const std::string& name) const;
  std::string ResolveArchiveName(const std::string& name) const;
  // The cached texture for a name, loading it on first use; null when the picture
  // cannot be found. Name becomes the name the texture is cached under.
  TDirect3DTexture2* AcquireTexture(std::string& name);
  TDirect3DTexture2* GetTexture(std::string name) { return AcquireTexture(name); }
  // Reads the picture `name` (archive, then file, then resource) shaped for the
  // texture detail; false when nothing was found.
  bool LoadPicture(Bitmap& image, std::string& name);
  // Resolves every pair of a name table: the first and second names are each
  // moved to the front of their column (keeping their order), then pair i gets the
  // textures of entries 2i and 2i+1 while entry 2i is set (at most 191 pairs). A
  // pair without a second name uses its first texture twice, with black as its
  // colour key. Names are rewritten to the names the textures are cached under.
  void AcquireTextureSet(TTextureNames& names, TTexturePairs& pairs);
  // Resolves every name of a list; the WAD lump references are built in one group
  // per WAD file after the others.
  void AcquireTextureList(std::vector<std::string>& names);
  // Builds the textures of lumps of a Doom-family WAD and caches them under their
  // references; false when nothing was built.
  bool LoadDoomTextures(const std::string& wadFile, std::vector<std::string> lumpNames, const std::string& extension);
  bool LoadDoomTexture(const std::string& wadFile, const std::string& lumpName, const std::string& extension);
  // The picture of a WAD lump reference; nothing when the text is not one or the
  // lump cannot be built.
  std::optional<Bitmap> BitmapFromLumpReference(const std::string& reference);
  // The bitmap of one flat, patch or wall texture of a Doom-family WAD; nothing
  // when the file is not a game WAD.
  std::optional<Bitmap> MakeDoomTextureBitmap(const std::string& wadFile, const std::string& lumpName);
  // Caches a texture made from a picture under `name` (brought to texture shape
  // first); the texture already cached under that name is kept.
  TDirect3DTexture2* RegisterTexture(const std::string& name, Bitmap picture);
  // Imports a map of a Doom-family WAD into the scene (see doommap/MapImport.h).
  DoomImportReport ImportDoomMap(const std::string& wadFile, const std::string& mapFile, const std::string& mapName,
                                 int scale, float brightness, bool groupByTexture,
                                 const ImportProgress& progress = {});
  // A bitmap resource of a Windows library file (found as ResolveFileName finds
  // files), read as data. Raises EResNotFound / EInvalidGraphic / EFOpenError.
  Bitmap LoadLibraryBitmap(const std::string& libraryName, const std::string& resourceName) const;
  // The same for a reference "->LIBRARY::RESOURCE"; nothing when the text is not one.
  std::optional<Bitmap> LoadLibraryBitmapRef(const std::string& reference) const;
  // A library's bitmap resource as a texture, cached under "->LIBRARY::RESOURCE",
  // sized by FitTexture and transparent where it is black.
  TDirect3DTexture2* GetLibraryTexture(const std::string& libraryName, const std::string& resourceName);
  // Changes the texture detail and rebuilds every cached texture in place from the
  // picture it was made of, so objects, actions and the camera stay as they are.
  void SetTextureDetail(std::uint8_t mode);
  std::optional<Bitmap> TextureToBitmap(const std::string& name) const;

  // --- wave and data streams -------------------------------------------------
  // A stream of its own over the wave `name` (from the archive, the program's
  // resources of type "WAVE" or a file), which becomes the name it is cached
  // under; null when the wave is found nowhere.
  std::unique_ptr<Stream> GetWaveStream(std::string& name);
  // The cached stream behind the data `name` (resources of type "DATA"), owned by
  // the scene; null when the data is found nowhere.
  Stream* GetDataStream(std::string& name);

  // --- loading --------------------------------------------------------------
  // Appends the objects, data, actions and lights of a document, placed.
  void ReadDocument(const SceneDocument& doc, const ScenePlacement& placement = {});
  // Reads a scene stream into the scene (no clearing). A damaged stream keeps what
  // was read and raises its error.
  void ReadSceneStream(std::span<const std::uint8_t> bytes, const std::string& source,
                       const ScenePlacement& placement = {});
  // Loads a world from the program's resources of type "D3D" (by number when the
  // resolved name is a whole number, else by name), looking up its media there too.
  void LoadFromResource(const std::string& name);
  // Clears the scene, then reads the stream.
  void LoadFromBytes(std::span<const std::uint8_t> bytes, const std::string& source);
  // The world of a package: the archive of `size` bytes at `position` of `stream`.
  void LoadFromPackage(Stream& stream, std::int64_t position, std::uint32_t size, const std::string& mapName);
  // A scene file.
  void LoadFromFile(const std::string& fileName);
  // A scene file read into the scene as it is, placed; sets Modified.
  void LoadFromFile(const std::string& fileName, const ScenePlacement& placement);
  // Opens a world archive file (the scene is cleared and the lump read; the archive
  // stays open for later names) or imports a Doom-family map. Any other file shows
  // the wrong-type message and answers false.
  bool OpenFromArchiveFile(const std::string& archiveFile, const std::string& lumpName);
  // The same, reading the lump into the scene as it is, placed; sets Modified.
  bool LoadFromArchiveFile(const std::string& archiveFile, const std::string& lumpName,
                           const ScenePlacement& placement);
  // Opens whatever a name stands for: a lump reference "->ARCHIVE::LUMP", a lump of
  // the archive the scene came from (when FileName is a ".WAD"), or a scene file.
  // False when the file does not exist or is of the wrong type.
  bool OpenByName(const std::string& name);
  // Where messages go (a message box in the player, stderr by default) and the
  // caption they carry.
  void SetMessageReporter(std::shared_ptr<MessageReporter> reporter, std::string caption);
  // Resets (top-level scene without a file) and raises the identifier counter.
  void RecomputeIdentifierCounter();

  // --- building and editing ---------------------------------------------------
  // Every operation that changes a list sets Modified; those that add or replace
  // also raise the identifier counter to the highest identifier in use. Operations
  // that take an index do nothing for an index outside the list.
  //
  // Builds an object of `kind` from its record, with its textures, and appends it
  // under its texture name (a nested scene: under its scene name). Null, and the
  // scene unchanged, when the record is not of that kind or nothing can be built.
  TD3DObject* AddObject(ObjectKind kind, const SceneObjectRecord& info);
  // The same with the kind the record stands for.
  TD3DObject* AddObject(const SceneObjectRecord& record);
  // Merges a polygon or quadrangle into the first polygon (in list order) that takes
  // it and answers true; otherwise adds it as AddObject does and answers false. The
  // candidates are found by their first texture name, so adding n surfaces costs
  // time in proportion to n.
  bool AddOrMergeObject(ObjectKind kind, const SceneObjectRecord& info);
  void DeleteObject(std::size_t index);
  // Builds the new object first; only then the old one is freed and the new one
  // takes its place (and name). All changes become pending. Null, and nothing
  // changed, for an index outside the list or a record that builds nothing.
  TD3DObject* ReplaceObject(std::size_t index, ObjectKind kind, const SceneObjectRecord& info);
  // Adds each triangle of the polygon at `index` as a polygon of its own at the
  // end; then deletes the polygon when `deleteOriginal`, and marks positions as
  // pending when `markMoved`. Nothing for an object that is not a polygon.
  void SplitPolygon(std::size_t index, bool deleteOriginal, bool markMoved);
  // Splits every polygon and removes the originals; the other objects keep their
  // order, followed by the pieces.
  void SplitAllPolygons();
  // Adds a light and applies it to every object.
  TD3DSceneLight* AddLight(const TD3DSceneLightInfo& info);
  void DeleteLight(std::size_t index);
  void ReplaceLight(std::size_t index, const TD3DSceneLightInfo& info);
  // A wave sound over the wave its record names (opened once per name, see
  // GetWaveStream), listed under the name the wave is cached under and given the
  // viewer's position and orientation.
  TD3DBaseAudio* AddSound(const TD3DSoundInfo& info);
  // A tone, listed under "Tone".
  TD3DBaseAudio* AddTone(const TD3DToneInfo& info);
  // The replacements build the new item before the old one is freed, so a failure
  // leaves the old one in place.
  TD3DBaseAudio* ReplaceSound(std::size_t index, const TD3DSoundInfo& info);
  TD3DBaseAudio* ReplaceTone(std::size_t index, const TD3DToneInfo& info);
  void DeleteAudio(std::size_t index);
  // A data item over the data its name gives (see GetDataStream).
  TCustomData* AddData(const TCustomDataInfo& info);
  void DeleteData(std::size_t index);
  // Modified is set only when the new record differs from the old one.
  TCustomData* ReplaceData(std::size_t index, const TCustomDataInfo& info);

  // --- saving -------------------------------------------------------------------
  // The scene as records: the persistent objects in list order, sounds and tones,
  // data items, the actions that are not temporary, lights, and as texture names
  // every name the objects use (each once, ASCII case ignored).
  SceneDocument ToDocument() const;
  // The scene stream of the scene (SceneStreamWriter); `target` names it in messages.
  ByteBuffer SaveToBytes(const std::string& target = "scene") const;
  // Writes the scene stream to a file. An existing file (unless it is itself a
  // ".~D3D") is first copied to the same name with the extension ".~D3D"; copy and
  // file are each written through a temporary file and a rename, so an interrupted
  // save leaves the old world or its copy whole. FileName becomes `fileName` and
  // Modified is cleared only when the file is complete.
  void SaveToFile(const std::string& fileName);
  // How SaveToArchiveFile fills the archive.
  enum class ArchiveSave {
    SceneOnly,  // a new archive holding only the scene lump
    WithMedia,  // the media files, then the scene lump, added to the archive (made when missing)
  };
  struct ArchiveSaveOptions {
    ArchiveSave form = ArchiveSave::WithMedia;
    // The media to write (WithMedia); none: the files CollectMediaFiles finds.
    std::optional<std::vector<std::string>> media;
    // Another archive to read media from when they are neither files nor entries
    // of the archive the scene was opened from (such as the archive of a package,
    // which is closed once the world is read). Not owned; may be null.
    TWad* mediaArchive = nullptr;
    TCompressionLevel level = TCompressionLevel::clDefault;
  };
  // What a save to an archive wrote: the media lumps, the media found nowhere, and
  // the scene lump's name.
  struct ArchiveSaveReport {
    std::vector<std::string> mediaWritten;
    std::vector<std::string> mediaMissing;
    std::string sceneLump;
  };
  // Saves into an archive file: an existing archive (unless it is itself a ".~WAD")
  // is first copied to the same name with the extension ".~WAD". Each media file is
  // a lump named by the name the scene knows it by, read from its file, from the
  // archive the scene was opened from, from options.mediaArchive, or from the wave
  // and data caches; the scene lump is named by SceneLumpName. Modified is cleared
  // when the archive is complete.
  ArchiveSaveReport SaveToArchiveFile(const std::string& archiveFile, const std::string& lumpName,
                                      const ArchiveSaveOptions& options);
  ArchiveSaveReport SaveToArchiveFile(const std::string& archiveFile, const std::string& lumpName) {
    return SaveToArchiveFile(archiveFile, lumpName, ArchiveSaveOptions{});
  }
  // The scene lump's name for a given name: "C:\" in front unless its second and
  // third characters are ":\", ".D3D" after unless it ends so (ASCII case ignored);
  // "MAP01" gives "C:\MAP01.D3D".
  static std::string SceneLumpName(const std::string& name);
  // Appends the media the scene uses that `list` lacks (ASCII case ignored): the
  // textures that exist as files or archive entries, the waves, the data items,
  // then each nested scene's world and its own media.
  void CollectMediaFiles(std::vector<std::string>& list) const;

  // --- queries and audio control ----------------------------------------------
  // Keeps textures loaded without drawing anything: after acquiring the whole list,
  // one empty polygon per reference (white, one frame, a triangle list, the given
  // texture mode and cull mode, blend mode 16 when blended), marked merged so that
  // matching surfaces can later be merged into it.
  enum class HolderBlend { Opaque, Blended };
  void AddTextureHolders(std::vector<std::string> references, std::uint8_t texMode, HolderBlend blend,
                         std::int32_t cullMode);
  // Removes every polygon without points, from the last object to the first.
  void RemoveEmptyPolygons();
  // Items of all five lists of a kind (-1: of any kind).
  std::size_t CountByKind(std::int32_t kind) const;
  // Appends every item of the five lists (objects, audio, data, actions, lights, each
  // in list order) whose kind matches (-1: any) and whose identifier is `id`;
  // answers the number appended.
  std::size_t CollectByKindAndId(std::int32_t kind, std::int32_t id, std::vector<SceneItemRef>& out);
  std::size_t CollectQuadrangles(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(2, id, out); }
  std::size_t CollectPolygons(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(4, id, out); }
  std::size_t CollectSpheres(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(9, id, out); }
  std::size_t CollectTexts(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(15, id, out); }
  std::size_t CollectScenes(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(7, id, out); }
  std::size_t CollectData(std::int32_t id, std::vector<SceneItemRef>& out) { return CollectByKindAndId(201, id, out); }
  // SetHidden(false/true) on every object with that identifier (and, unless kind
  // is -1, that kind code).
  void ShowObjects(std::int32_t kind, std::int32_t id);
  void HideObjects(std::int32_t kind, std::int32_t id);
  void PlayWaveSounds(std::int32_t id) { controlAudio(101, id, AudioControl::Play); }
  void StopWaveSounds(std::int32_t id) { controlAudio(101, id, AudioControl::Stop); }
  void RewindWaveSounds(std::int32_t id) { controlAudio(101, id, AudioControl::Rewind); }
  void PlayTones(std::int32_t id) { controlAudio(102, id, AudioControl::Play); }
  void StopTones(std::int32_t id) { controlAudio(102, id, AudioControl::Stop); }
  void RewindTones(std::int32_t id) { controlAudio(102, id, AudioControl::Rewind); }
  // Gives every sound the listener's (the camera's) position and orientation;
  // nothing while paused.
  void UpdateSoundPositions();

  // --- frame and camera -------------------------------------------------------
  void Frame(std::uint32_t backgroundColor);
  void ApplyChanges();
  void SetCameraPosition(const D3DVECTOR& v);
  void SetCameraRotation(const D3DVECTOR& v);
  D3DVECTOR GetCameraPosition() const;
  D3DVECTOR GetCameraRotation() const;
  void SetPaused(bool paused);
  void InvalidateAll() { PendingChanges = pcPosition | pcRotation | pcLighting; }
  void RebuildDeviceState();
  bool RootInScene() const;

  // --- lists and state ------------------------------------------------------
  NamedList<TD3DObject> Objects;
  NamedList<TD3DSceneLight> Lights;
  NamedList<TCustomData> DataItems;
  NamedList<TD3DBaseAudio> AudioObjects;
  NamedList<TD3DAction> Actions;
  std::vector<TD3DScene*> SubScenes;
  std::shared_ptr<NamedList<TDirect3DTexture2>> Textures;
  std::shared_ptr<std::vector<std::string>> SearchPaths;
  // The data behind each wave name, found once and shared with sub-scenes: the
  // bytes of an archive entry or resource, or the path of a file (each sound opens
  // the file anew and streams it on its own).
  struct WaveSource {
    std::string path;
    std::shared_ptr<const ByteBuffer> bytes;
  };
  std::shared_ptr<NamedList<WaveSource>> WaveStreams;
  // The streams behind data items by name, shared with sub-scenes.
  std::shared_ptr<NamedList<Stream>> DataStreams;
  // The decoded picture behind each cached texture, for rebuilding at another detail.
  std::shared_ptr<std::map<const TDirect3DTexture2*, Bitmap>> TexturePictures;

  TD3DSceneInfo SceneInfo;
  std::string FileName;
  std::string programDirectory;  // where the running program lies, for name lookups
  bool IsChild = false;
  bool Paused = false;
  bool Modified = false;
  bool InScene = false;
  bool LoadingFromArchive = false;
  bool ResourceMode = false;
  std::uint8_t PendingChanges = 0;
  std::uint8_t TextureDetail = 0;
  float MotionStep = 0.05f;
  D3DVECTOR CameraPosition, LastCameraPosition, CameraRotation, LastCameraRotation;
  double StartTime = 0;
  double LastSortTime = 0;
  double LastFrameTime = -0.001;
  double CameraSpeed = 0;
  double FrameRate = 0;
  TD3DScene* ParentScene = nullptr;
  std::unique_ptr<TWad> Archive;

 private:
  void initialize(DXDraw* device, SoundDevice* sound, const IClock& clock, bool isChild);
  // The archive names are looked up in: the scene's own, or for a nested scene
  // the one its parent reads from; null when there is none.
  TWad* sourceArchive() const;
  // Builds an object when the record is of `kind`; no object otherwise.
  std::pair<std::string, std::unique_ptr<TD3DObject>> buildObjectOfKind(ObjectKind kind, const SceneObjectRecord& info);
  // The polygons that may take a surface with this first texture name, in list order.
  std::vector<TD3DPolygon*>& mergeCandidates(const std::string& textureName);
  void objectsReordered() { mergeIndexValid_ = false; }
  std::unique_ptr<TD3DBaseAudio> makeSound(TD3DSoundInfo info, std::string& listName);
  void giveViewer(TD3DBaseAudio& audio);
  void syncLightPointers();
  // The bytes of a media file for an archive; nothing when found nowhere.
  std::optional<ByteBuffer> mediaBytes(const std::string& name, TWad* extra) const;
  void resetClock();
  void closeArchive();
  enum class ArchiveLoad { Replace, Add };
  // A Doom-family map opened or loaded as a world (the import's usual values).
  bool importDoomMapFile(const std::string& path, const std::string& lumpName, ArchiveLoad how);
  bool loadArchiveFile(const std::string& archiveFile, const std::string& lumpName, ArchiveLoad how,
                       const ScenePlacement& placement);
  ByteBuffer readWholeFile(const std::string& path) const;
  void appendObject(std::string name, std::unique_ptr<TD3DObject> object, const ScenePlacement& placement);
  // The object a record describes, its textures acquired, with the name its list
  // entry takes; no object for kinds that cannot be built.
  std::pair<std::string, std::unique_ptr<TD3DObject>> buildObject(const SceneObjectRecord& record,
                                                                   const TTextureNames& textureNames);
  // Decodes the picture `name` from the first source that has it; false when none does.
  bool readPicture(Bitmap& image, std::string& name);
  // A device texture from a shaped picture: square, at least 8 bits per pixel.
  std::unique_ptr<TDirect3DTexture2> textureFromPicture(Bitmap picture);
  void RebuildSubScenes();
  void SortByDistance();
  void setViewTransform();
  void setWorldTransform();
  int nestingDepth() const;
  bool includes(const std::string& worldName) const;
  FileSearchPlaces searchPlaces() const;
  template <typename F>
  void forEachTarget(std::int32_t kind, std::int32_t id, F&& f);
  enum class AudioControl { Play, Stop, Rewind };
  void controlAudio(std::uint8_t kind, std::int32_t id, AudioControl what);
  void setObjectsHidden(std::int32_t kind, std::int32_t id, bool hidden);
  std::unique_ptr<TD3DBaseAudio> buildSound(const SceneSoundEntry& entry);
  // The name a stream cache files `name` under, by the current way of loading.
  std::string streamKey(const std::string& name) const;
  // Every audio object: the sounds start playing unless the scene is paused.
  AudioStart audioStart() const { return Paused ? AudioStart::Silent : AudioStart::Play; }

  SoundDevice* sound_ = nullptr;
  std::shared_ptr<SoundDevice> ownSound_;        // a silent device when none was given
  std::shared_ptr<MessageRelay> reporter_;  // shared with sub-scenes and the tone host
  std::string messageCaption_ = "DXVelorina";  // the application title
  std::shared_ptr<ToneGenHost> toneHost_;        // shared with sub-scenes
  const IClock* clock_ = nullptr;
  double sortInterval_ = 0.01;
  // The lights of Lights, in order, as the objects take them (kept with Lights so
  // the per-frame work allocates nothing).
  std::vector<TD3DSceneLight*> lightPointers_;
  std::unique_ptr<TSubStream> archiveWindow_;
  // Polygons by first texture name, for AddOrMergeObject: valid for the first
  // mergeIndexed_ objects while mergeIndexValid_ holds; any change other than an
  // append clears it.
  std::unordered_map<std::string, std::vector<TD3DPolygon*>> mergeIndex_;
  std::size_t mergeIndexed_ = 0;
  bool mergeIndexValid_ = false;
};

// A scene could not be built as asked (a world including itself, nesting too deep).
class ESceneError : public Error {
 public:
  using Error::Error;
};

}  // namespace velorina
