// The current system driver and the free functions over it.
#include "system/system_driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

std::string AppTitle;

void TQuietSystemDriver::Notify(const std::string& text, bool) {
  std::fprintf(stderr, "%s: %s\n", AppTitle.c_str(), text.c_str());
}

// The system driver's factory, as the platform's driver table names it.
#define GLOOMFALL_RENDERER(name, title, factory, flags, rank)
#define GLOOMFALL_SYSTEM_DRIVER(factory) \
  std::shared_ptr<TSystemDriver> factory(); \
  constexpr auto CreatePlatformSystemDriver = factory;
#define GLOOMFALL_AUDIO_OUTPUT(factory)
#include GLOOMFALL_PLATFORM_DRIVERS

namespace {
std::shared_ptr<TSystemDriver> g_driver;
bool g_polling = false;

// Clears the re-entry flag however the pump ends (a hook may throw).
struct PollGuard {
  PollGuard() { g_polling = true; }
  ~PollGuard() { g_polling = false; }
};
}  // namespace

const std::shared_ptr<TSystemDriver>& SystemDriver() {
  if (!g_driver) g_driver = CreatePlatformSystemDriver();
  return g_driver;
}

void SetSystemDriver(std::shared_ptr<TSystemDriver> driver) { g_driver = std::move(driver); }

void PollSystem() {
  if (g_polling) return;
  PollGuard guard;
  std::shared_ptr<TSystemDriver> driver = SystemDriver();  // survives a SetSystemDriver inside
  driver->Poll();
}

void WaitSystem() {
  if (g_polling) return;
  PollGuard guard;
  std::shared_ptr<TSystemDriver> driver = SystemDriver();
  driver->Wait();
}

void Notify(const std::string& text, bool serious) { SystemDriver()->Notify(text, serious); }
int Confirm(const std::string& text, bool serious) { return SystemDriver()->Confirm(text, serious); }
int Proceed(const std::string& text, bool serious) { return SystemDriver()->Proceed(text, serious); }
void MoveMouse(int x, int y) { SystemDriver()->MoveMouse(x, y); }
void ShowMouse() { SystemDriver()->SetMouseVisible(true); }
void HideMouse() { SystemDriver()->SetMouseVisible(false); }

namespace {
TPointerFrame g_pointer_frame;
void (*g_fullscreen_toggle)() = nullptr;

int ToFrame(int p, int origin, int size, int frame_size) {
  // Floor division of the scaled offset, then clamped into the frame.
  const int64_t scaled = (int64_t(p) - origin) * frame_size;
  int64_t q = scaled / size;
  if (scaled % size != 0 && scaled < 0) --q;
  return int(std::clamp<int64_t>(q, 0, frame_size - 1));
}
}  // namespace

void TPointerFrame::Map(int& px, int& py) const {
  if (width <= 0 || height <= 0 || frame_w <= 0 || frame_h <= 0) return;
  px = ToFrame(px, x, width, frame_w);
  py = ToFrame(py, y, height, frame_h);
}

void SetPointerFrame(const TPointerFrame& frame) { g_pointer_frame = frame; }
const TPointerFrame& GetPointerFrame() { return g_pointer_frame; }
void SetFullScreenToggle(void (*toggle)()) { g_fullscreen_toggle = toggle; }
void (*GetFullScreenToggle())() { return g_fullscreen_toggle; }
