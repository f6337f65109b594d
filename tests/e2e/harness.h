// Drives the built game from outside, as a player would: a private X server,
// the game process started from a data folder, xdotool for keys and mouse,
// xwd for screenshots and SDL's disk audio driver for what it plays.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs a shell command with DISPLAY set; returns its standard output.
std::string RunCommand(const std::string& display, const std::string& cmd, int* status = nullptr);
// A word quoted for the shell (no single quotes inside).
std::string Quote(const std::string& s);
// A whole file's bytes, or "" when it cannot be read.
std::string ReadFile(const std::string& path);

// A private Xvfb for one test, so no other test's window can take the focus.
class XServer {
 public:
  explicit XServer(const std::string& screen = "1024x768x24");
  ~XServer();
  bool ok() const { return pid_ > 0; }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// An RGB screenshot.
struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, rows top-down
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool empty() const { return pixels.empty(); }
};

// Captures a window (or the root window when id is empty) through xwd.
Shot Screenshot(const std::string& display, const std::string& window_id = "");
bool WritePng(const Shot& shot, const std::string& path);
// Fraction of pixels that differ between two shots of the same size.
double Difference(const Shot& a, const Shot& b);
// Pixels in a box whose colour passes a test.
int Count(const Shot& s, int x0, int y0, int x1, int y1, const std::function<bool(int, int, int)>& pred);
bool White(int r, int g, int b);
// Waits until the title screen shows the game's name in the window (start-up
// loads and decodes everything first); false on time-out.
bool WaitForTitle(const std::string& display, const std::string& window_id, int timeout_ms = 15000);

// The game running under an X server, started in a folder: the built game
// from its data folder, or an installed launcher from anywhere, or another
// program (Wine) given arguments.
class GameProcess {
 public:
  GameProcess(const XServer& x, const std::string& folder, const std::string& audio_file,
              const std::string& program = GLOOMFALL_BINARY, const std::vector<std::string>& args = {});
  ~GameProcess();
  bool running();
  // Waits up to timeout_ms for the process to end; returns its exit status,
  // or -1 if it still runs.
  int WaitExit(int timeout_ms);
  // The game's main window id (waits for it to map), or "" on time-out.
  std::string FindWindow(const std::string& name, int timeout_ms = 10000);
  std::string xdo(const std::string& args);  // runs xdotool with args
  // Holds a key down for ms milliseconds: the game asks whether keys are
  // down once a frame, so a bare tap can fall between two questions.
  void Hold(const std::string& key, int ms);
  // For a failure message when the game does not do what a test waits for:
  // each of its threads (state, CPU time, where it sleeps), the windows on
  // the display and which one has the focus, and what the window shows.
  std::string Describe(const std::string& window_id);

 private:
  std::string display_;
  pid_t pid_ = -1;
  int status_ = -1;
};

// A window of the game's named like it but not its 800 x 600 main window:
// the message box. Its X id in decimal, or "" on time-out.
std::string FindMessageBox(const std::string& display, int timeout_ms = 10000);

// The audio file's 16-bit stereo frames; peak level of the last ms written.
std::vector<int16_t> ReadAudio(const std::string& path);
int PeakOfTail(const std::string& path, int ms);

void SleepMs(int ms);
// Asks `done` every 50 ms until it holds or timeout_ms have passed: what a test
// waits for, a loaded machine only makes later. True when it held.
bool Eventually(const std::function<bool()>& done, int timeout_ms = 10000);
// Copies a folder (used to make a damaged copy of the data).
bool CopyTree(const std::string& from, const std::string& to);

// Whether an X client can connect to the display.
bool DisplayAnswers(const std::string& display);

// Asks a window to close the way a window manager's close box does
// (a WM_DELETE_WINDOW client message).
bool RequestClose(const std::string& display, unsigned long window);
// The window's _NET_WM_ICON: width, height, then ARGB pixels row by row
// (empty when it has none).
std::vector<uint32_t> WindowIcon(const std::string& display, unsigned long window);
// A PNG file in the same layout as WindowIcon, to compare the two (empty when
// the file is no picture).
std::vector<uint32_t> IconFromPng(const std::string& path);
