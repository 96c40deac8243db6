#pragma once
// The player window: start-up from the world package (or a world named on the
// command line), then the frame loop: on each timer tick the camera step, a scene
// frame and a flip, until Escape or the window closes. Headless it draws offscreen.

#include <memory>
#include <string>

#include "platform/display/DXDraw.h"
#include "platform/display/DXInput.h"
#include "platform/display/DXTimer.h"
#include "platform/display/IClock.h"
#include "platform/display/ManualClock.h"
#include "scene/Scene.h"
#include "shell/CameraStep.h"
#include "shell/Dance.h"
#include "shell/FloorFollowingCamera.h"
#include "shell/PlayerOptions.h"
#include "shell/WorldHeader.h"

namespace velorina {

class FileStream;
class SoundDevice;

// What start-up read of the world.
struct StartupResult {
  TWorldHeader header;          // as read; zeroed when the package could not be read
  std::string source;           // the file the world came from
  std::uint32_t entryCount = 0;
  std::string mapLumpName;      // the archive entry the map name resolved to
  std::size_t mapBytes = 0;
  std::string error;            // the message of a failed start-up, one line
};

// The one-line headless summary.
std::string describeWorld(const StartupResult& world);

class TDXViewerForm {
 public:
  // `programFile` is opened for the carried world; `programPath` names it in messages.
  TDXViewerForm(PlayerOptions options, std::string programFile, std::string programPath);
  ~TDXViewerForm();
  TDXViewerForm(const TDXViewerForm&) = delete;
  TDXViewerForm& operator=(const TDXViewerForm&) = delete;

  // Runs until Escape, the window closes or the frame count is reached; answers the
  // process exit status.
  int run();

 private:
  bool headless() const;
  void createComponents();
  // Start-up; a failure is shown and recorded, and the window runs on empty.
  void FormCreate();
  void loadWorld(FileStream& file);
  void loadGameMap();
  void Timer1Timer();
  void FormDestroy();
  void DXTimerTimer();
  void DXDrawInitializeSurface(DXDraw& display);
  void ApplicationActivate();
  void handleEvent(const DisplayEvent& event);
  void reportError(const std::string& message);
  void saveScreenshot();

  PlayerOptions options_;
  std::string programFile_;
  std::string programPath_;
  std::unique_ptr<IClock> systemClock_;
  ManualClock fixedClock_;
  const IClock* clock_ = nullptr;
  std::unique_ptr<SoundDevice> sound_;
  std::unique_ptr<DXDraw> display_;
  DXInput input_;
  std::unique_ptr<DXTimer> timer_;
  std::unique_ptr<DXTimer> Timer1;  // the 300 ms dance timer
  Dance dance_;
  std::unique_ptr<DanceTextSource> danceTexts_;  // set once start-up has found the texts
  std::unique_ptr<TD3DScene> Scene;
  std::unique_ptr<FileStream> worldFile_;
  TWorldHeader WorldHeader;
  StartupResult startup_;
  CameraStep camera_;
  std::unique_ptr<FloorFollowingCamera> mapCamera_;  // a game map's floors, else none
  bool running_ = true;
  bool windowActive_ = true;
  bool displayFailed_ = false;
  int frames_ = 0;
};

}  // namespace velorina
