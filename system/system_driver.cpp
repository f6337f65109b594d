// The current system driver and the free functions over it.
#include "system/system_driver.h"

std::string AppTitle;

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
  if (!g_driver) g_driver = CreateSDLSystemDriver();
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
