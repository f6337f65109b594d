// The generic graphics level: current driver and graphics, OpenGraphics with
// its graphics generation counter, and Flip with the soft sync of Flip(-1).
#include "graphics/graphics.h"

#include <cstdlib>
#include <iterator>
#include <string>

#include "system/clock.h"
#include "system/hook.h"
#include "system/input.h"

int GraphicsSeq = 1;
int FlipHook = AllocHookId();
std::shared_ptr<TPixmap> AppIcon;

// The renderers' factories, as the platform's driver table names them.
#define GLOOMFALL_RENDERER(name, title, factory, flags, rank) std::shared_ptr<TGraphicsDriver> factory();
#define GLOOMFALL_SYSTEM_DRIVER(factory)
#define GLOOMFALL_AUDIO_OUTPUT(factory)
#include GLOOMFALL_PLATFORM_DRIVERS
#undef GLOOMFALL_RENDERER

namespace {
std::shared_ptr<TGraphicsDriver> g_driver;
bool g_driver_chosen = false;
struct TRegisteredDriver {
  const char* name;
  const char* title;
  std::shared_ptr<TGraphicsDriver> (*factory)();
  int flags;
  int rank;
};
constexpr TRegisteredDriver g_registered[] = {
#define GLOOMFALL_RENDERER(name, title, factory, flags, rank) {name, title, factory, flags, rank},
#include GLOOMFALL_PLATFORM_DRIVERS
};
constexpr int g_registered_count = int(std::size(g_registered));

constexpr int HighestRank() {
  int best = 0;
  for (int i = 1; i < g_registered_count; ++i) {
    if (g_registered[i].rank > g_registered[best].rank) best = i;
  }
  return best;
}
int g_default_index = HighestRank();
int g_default_flags = 0;
std::shared_ptr<TGraphics> g_graphics;
int g_width = 0, g_height = 0, g_depth = 0, g_hertz = 0, g_flags = 0;
std::shared_ptr<TGraphics> g_auto_graphics;
std::vector<std::shared_ptr<TGraphicsMode>> g_modes;
bool g_modes_cached = false;
bool g_end_registered = false;

int g_soft_sync = 0;
bool g_unsynced = false;
bool g_skip_drawing = false;
int g_sync_hertz = 0, g_sync_step = 0, g_sync_rem = 0, g_sync_frac = 0, g_sync_time = 0;

int FindRegistered(const std::string& name) {
  for (int i = 0; i < g_registered_count; ++i) {
    if (name == g_registered[i].name) return i;
  }
  return -1;
}

// The program never picks a driver itself: the default registered one is
// installed here on first use.
const std::shared_ptr<TGraphicsDriver>& Driver() {
  if (!g_driver_chosen && g_default_index >= 0) {
    const TRegisteredDriver& d = g_registered[g_default_index];
    SetGraphicsDriver(d.factory(), d.flags);
  }
  return g_driver;
}

void ClearSettings() { g_width = g_height = g_depth = g_hertz = g_flags = 0; }

void EndGraphicsAtExit() { EndGraphics(); }
}  // namespace

void AdvanceGraphicsSeq() {
  // Unsigned, so the wrap from the largest value is defined; 0 is skipped.
  GraphicsSeq = static_cast<int>(static_cast<unsigned>(GraphicsSeq) + 1u);
  if (GraphicsSeq == 0) GraphicsSeq = 1;
}

std::string TGraphicsMode::ToString() const {
  return std::to_string(width) + "," + std::to_string(height) + "," + std::to_string(depth) + " " +
         std::to_string(hertz) + "Hz";
}

void SetGraphicsDriver(const std::shared_ptr<TGraphicsDriver>& driver, int default_flags) {
  if (driver != g_driver || !g_driver_chosen) {
    if (g_driver && g_graphics) g_driver->SetGraphics(nullptr);
    g_modes.clear();
    g_modes_cached = false;
    g_driver = driver;
  }
  g_driver_chosen = true;
  g_default_flags = default_flags;
  g_graphics = nullptr;
  ClearSettings();
}

std::shared_ptr<TGraphicsDriver> GetGraphicsDriver() { return Driver(); }

std::vector<std::string> GraphicsDriverNames() {
  std::vector<std::string> names;
  if (g_default_index >= 0) names.push_back(g_registered[g_default_index].name);
  for (int i = 0; i < g_registered_count; ++i) {
    if (i != g_default_index) names.push_back(g_registered[i].name);
  }
  return names;
}

std::shared_ptr<TGraphicsDriver> GraphicsDriverNamed(const std::string& name) {
  const int i = FindRegistered(name);
  return i < 0 ? nullptr : g_registered[i].factory();
}

bool UseGraphicsDriverNamed(const std::string& name) {
  const int i = FindRegistered(name);
  if (i < 0) return false;
  g_default_index = i;
  return true;
}

std::string ChooseRendererFromEnvironment() {
  const char* value = std::getenv("GLOOMFALL_RENDERER");
  if (!value) return std::string();
  std::string choices;
  const std::vector<std::string> names = GraphicsDriverNames();
  for (size_t i = 0; i < names.size(); ++i) {
    choices += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + ("\"" + names[i] + "\"");
  }
  const std::string name = value;
  if (!UseGraphicsDriverNamed(name)) {
    return "gloomfall: GLOOMFALL_RENDERER must be " + choices + ", not \"" + name + "\"";
  }
  const TRegisteredDriver& d = g_registered[FindRegistered(name)];
  if (!d.factory()->Available()) {
    return "gloomfall: GLOOMFALL_RENDERER is \"" + name + "\" but " + d.title +
           " cannot be had on this system; it can be " + choices;
  }
  return std::string();
}

const std::vector<std::shared_ptr<TGraphicsMode>>& GraphicsModes() {
  if (!g_modes_cached && Driver()) {
    g_modes = Driver()->GraphicsModes();
    g_modes_cached = true;
  }
  return g_modes;
}

std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) {
  const auto& driver = Driver();
  if (!driver) return nullptr;
  try {
    return driver->CreateGraphics(width, height, depth, hertz, flags | g_default_flags);
  } catch (...) {
    return nullptr;
  }
}

std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) {
  const auto& driver = Driver();
  if (!driver) return nullptr;
  try {
    return driver->AttachGraphics(widget, flags | g_default_flags);
  } catch (...) {
    return nullptr;
  }
}

void SetGraphics(const std::shared_ptr<TGraphics>& g) {
  // A closed context has no driver any more: it counts as none.
  std::shared_ptr<TGraphicsDriver> d = g ? g->Driver() : nullptr;
  if (!d) {
    if (g_driver && g_graphics) g_driver->SetGraphics(nullptr);
    g_graphics = nullptr;
    ClearSettings();
    return;
  }
  if (d != g_driver) {
    if (g_driver && g_graphics) g_driver->SetGraphics(nullptr);
    g_modes.clear();
    g_modes_cached = false;
    g_driver = d;
    g_driver_chosen = true;
  }
  g->GetSettings(g_width, g_height, g_depth, g_hertz, g_flags);
  d->SetGraphics(g);
  g_graphics = g;
}

std::shared_ptr<TGraphics> GetGraphics() { return g_graphics; }

void CloseGraphics(const std::shared_ptr<TGraphics>& graphics) {
  // Hold our own reference: the caller's may be one of the globals cleared below.
  std::shared_ptr<TGraphics> g = graphics;
  if (!g) return;
  if (g == g_auto_graphics) g_auto_graphics = nullptr;
  if (g == g_graphics) SetGraphics(nullptr);
  g->Close();
}

std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags) {
  EndGraphics();
  std::shared_ptr<TGraphics> g = CreateGraphics(width, height, depth, hertz, flags);
  if (!g) return nullptr;
  AdvanceGraphicsSeq();
  SetGraphics(g);

  g_soft_sync = 1;
  if (hertz == 0) {
    g_soft_sync = 0;
  } else if (depth != 0) {
    // Fullscreen: find out whether the hardware honours vertical sync, in
    // which case Flip(-1) leaves the pacing to it.
    int run = 0;
    int start = Millisecs();
    int expected = 1000 / hertz;
    while (MillisecsBetween(start, Millisecs()) < 1000) {
      int t0 = Millisecs();
      g_driver->Flip(1);
      int delta = MillisecsBetween(t0, Millisecs()) - expected;
      run = (delta >= -1 && delta <= 1) ? run + 1 : 0;
      if (run == 3) {
        g_soft_sync = 0;
        break;
      }
    }
  }
  g_sync_hertz = hertz;
  g_sync_step = hertz ? 1000 / hertz : 0;
  g_sync_rem = 1000 - g_sync_step * hertz;
  g_sync_frac = 0;
  g_sync_time = Millisecs();

  g_auto_graphics = g;
  if (depth != 0) MoveMouse(width / 2, height / 2);
  EnablePolledInput();
  if (!g_end_registered) {
    g_end_registered = true;
    std::atexit(EndGraphicsAtExit);
  }
  return g;
}

void EndGraphics() {
  if (!g_auto_graphics) return;
  AdvanceGraphicsSeq();
  DisablePolledInput();
  CloseGraphics(g_auto_graphics);
}

void Flip(int sync) {
  RunHooks(FlipHook, nullptr);
  if (!g_driver || g_skip_drawing) return;
  if (sync != -1) {
    g_driver->Flip(g_unsynced ? 0 : sync);
    return;
  }
  if (g_graphics != g_auto_graphics || !g_soft_sync) {
    g_driver->Flip(g_depth ? 1 : 0);
    return;
  }
  g_sync_time = MillisecsAfter(g_sync_time, g_sync_step);
  g_sync_frac += g_sync_rem;
  if (g_sync_frac >= g_sync_hertz) {
    g_sync_frac -= g_sync_hertz;
    g_sync_time = MillisecsAfter(g_sync_time, 1);
  }
  const int32_t now = Millisecs();
  int wait = MillisecsBetween(now, g_sync_time);
  if (wait > 0) {
    Delay(wait);
  } else {
    g_sync_time = now;  // late: due from now on, without catching up
  }
  g_driver->Flip(0);
}

void SetFlipUnsynced(bool unsynced) { g_unsynced = unsynced; }
void SkipDrawing(bool skip) { g_skip_drawing = skip; }
bool DrawingSkipped() { return g_skip_drawing; }

int GraphicsWidth() { return g_width; }
int GraphicsHeight() { return g_height; }
int GraphicsDepth() { return g_depth; }
int GraphicsHertz() { return g_hertz; }
int GraphicsFlags() { return g_flags; }
