// The system driver: the one object that talks to the platform's message
// queue, cursor and message boxes. The SDL implementation is
// sdl_system_driver.cpp; tests install their own to feed events by hand.
// PollSystem/WaitSystem are how the polled-input queries pump the queue.
#pragma once

#include <memory>
#include <string>

class TSystemDriver {
 public:
  virtual ~TSystemDriver() = default;
  // Takes every waiting message without blocking and emits its events.
  virtual void Poll() = 0;
  // Blocks until a message arrives, then does Poll.
  virtual void Wait() = 0;
  // Moves the cursor to client coordinates of the active window.
  virtual void MoveMouse(int x, int y) = 0;
  virtual void SetMouseVisible(bool visible) = 0;
  // A modal box captioned with AppTitle: warning icon when serious, else information.
  virtual void Notify(const std::string& text, bool serious) = 0;
  // Yes / No: 1 or 0.
  virtual int Confirm(const std::string& text, bool serious) = 0;
  // Yes / No / Cancel: 1, 0 or -1.
  virtual int Proceed(const std::string& text, bool serious) = 0;
  // File and folder pickers: the chosen path, or "" when none was chosen.
  virtual std::string RequestFile(const std::string& text, const std::string& extensions, bool save,
                                  const std::string& path) = 0;
  virtual std::string RequestDir(const std::string& text, const std::string& path) = 0;
  // 1 when the system took the URL.
  virtual int OpenURL(const std::string& url) = 0;
};

// A driver for a run with no window (verifying replays, tests): no messages
// arrive, no box opens (a notice goes to the error output, a question gets
// No or Cancel), nothing is picked and no URL is taken.
class TQuietSystemDriver : public TSystemDriver {
 public:
  void Poll() override {}
  void Wait() override {}
  void MoveMouse(int, int) override {}
  void SetMouseVisible(bool) override {}
  void Notify(const std::string& text, bool serious) override;
  int Confirm(const std::string&, bool) override { return 0; }
  int Proceed(const std::string&, bool) override { return -1; }
  std::string RequestFile(const std::string&, const std::string&, bool, const std::string&) override {
    return "";
  }
  std::string RequestDir(const std::string&, const std::string&) override { return ""; }
  int OpenURL(const std::string&) override { return 0; }
};

// The application's title: the window caption and the caption of message boxes.
extern std::string AppTitle;

// The current system driver; the platform's own (its driver table, in
// platforms/) is made on first use.
const std::shared_ptr<TSystemDriver>& SystemDriver();
// Replaces the system driver (tests); empty goes back to the platform's on next use.
void SetSystemDriver(std::shared_ptr<TSystemDriver> driver);

// Pump the message queue through the system driver, unless a PollSystem or
// WaitSystem is already running (a hook that flushes input would otherwise
// pump recursively).
void PollSystem();
void WaitSystem();

void Notify(const std::string& text, bool serious = false);
int Confirm(const std::string& text, bool serious = false);
int Proceed(const std::string& text, bool serious = false);
void MoveMouse(int x, int y);
void ShowMouse();
void HideMouse();

// Full screen shows the game's frame scaled into a larger window. The window
// level says where (in window coordinates), so the pointer reaches the game
// in frame coordinates, clamped to the frame over the bands. A width of 0
// (the default) passes positions through unchanged.
struct TPointerFrame {
  int x = 0, y = 0, width = 0, height = 0;  // the frame in the window
  int frame_w = 0, frame_h = 0;             // the frame's own size
  // A window position in frame coordinates.
  void Map(int& px, int& py) const;
};
void SetPointerFrame(const TPointerFrame& frame);
const TPointerFrame& GetPointerFrame();

// What F11 and Alt+Enter do instead of reaching the game as keys; none (the
// default) lets them through.
void SetFullScreenToggle(void (*toggle)());
void (*GetFullScreenToggle())();
