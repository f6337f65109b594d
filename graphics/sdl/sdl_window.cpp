// SDL windows and OpenGL contexts. For each kind of context (desktop or ES
// 2.0) one hidden 1 x 1 window carries a shared context, made once; every
// window context of that kind is created sharing its objects, so textures
// outlive the windows they were drawn in. The driver remembers which record
// is current and never re-makes it current. Full screen scales the frame
// into the desktop-sized window (in the browser, the canvas the page sized);
// the bands around it are cleared black just before each swap. A platform file: SDL and GL appear only here and in the
// renderers. What the desktop and the browser do differently is behind
// sdl_window_platform.h.
#include "graphics/sdl/sdl_window.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/flip_pacer.h"
#include "graphics/pixmap.h"
#include "graphics/sdl/sdl_window_platform.h"
#include "system/clock.h"
#include "system/system_driver.h"

// The native record of one GL context.
struct TGLContextRecord {
  int kind = 0;  // 0 hidden shared, 1 foreign window, 2 own window, 3 own fullscreen window
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;
  int flags = 0;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  std::string caption;  // AppTitle as the window last showed it
  // The scissor and clear colour last set in this context through
  // GLApplyViewport and GLClearColor, for ClearBands to put back without
  // asking GL (a query waits for everything drawn so far, which takes a
  // browser's software renderer tens of milliseconds a frame).
  bool scissor_known = false, scissor_on = false, clear_known = false;
  int scissor_box[4] = {0, 0, 0, 0};
  float clear[4] = {0, 0, 0, 0};
};

namespace {
// Newest first. Never destroyed: textures released during the program's
// exit still switch contexts through it.
std::vector<std::unique_ptr<TGLContextRecord>>& g_records =
    *new std::vector<std::unique_ptr<TGLContextRecord>>();
TGLProfile g_profile = TGLProfile::Desktop;
TGLContextRecord* g_shared[2] = {nullptr, nullptr};  // by profile
bool g_shared_tried[2] = {false, false};
TGLContextRecord* g_current = nullptr;   // made current by SetGraphics
TGLContextRecord* g_shared_active = nullptr;  // a shared context is current instead
TGLFrameRect g_frame;
int g_last_interval = -1;                // matches neither 0 nor 1 at first
bool g_interval_applied = false;
int g_interval_sends = 0;
bool g_video = false;

bool g_video_tried = false;

bool InitVideo() {
  if (g_video_tried) return g_video;
  g_video_tried = true;
  if (!WindowPlatformCanShow()) return false;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // With no display SDL falls back to drivers that draw nowhere; a game
  // window there would run unseen and could never be quit. Only someone who
  // asks for such a driver by name gets it.
  const char* name = SDL_GetCurrentVideoDriver();
  std::string driver = name ? name : "";
  if ((driver == "offscreen" || driver == "dummy" || driver == "evdev") &&
      !SDL_getenv("SDL_VIDEODRIVER")) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  g_video = true;
  return true;
}

void MakeCurrent(TGLContextRecord* record) {
  if (record) {
    SDL_GL_MakeCurrent(record->window, record->context);
  } else {
    SDL_GL_MakeCurrent(nullptr, nullptr);
  }
}

// What the context's pixel format asks for.
void RequestPixelFormat(int flags, TGLProfile profile) {
  SDL_GL_ResetAttributes();
  if (profile == TGLProfile::ES2) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  } else {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & GRAPHICS_BACKBUFFER) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & GRAPHICS_ALPHABUFFER) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & GRAPHICS_DEPTHBUFFER) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & GRAPHICS_STENCILBUFFER) ? 1 : 0);
  int accum = (flags & GRAPHICS_ACCUMBUFFER) ? 1 : 0;
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
}

// The hidden context every other one of its kind shares with; false when
// there is no display or no such context, in which case no graphics of that
// kind can be made at all.
bool EnsureShared(TGLProfile profile) {
  const int i = int(profile);
  if (g_shared[i]) return true;
  if (g_shared_tried[i]) return false;
  g_shared_tried[i] = true;
  if (!InitVideo()) return false;
  RequestPixelFormat(0, profile);
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) return false;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SDL_DestroyWindow(window);
    return false;
  }
  auto record = std::make_unique<TGLContextRecord>();
  record->kind = 0;
  record->width = record->height = 1;
  record->window = window;
  record->context = context;
  g_shared[i] = record.get();
  g_records.insert(g_records.begin(), std::move(record));
  // Creating a context makes it current; put back what the driver believes is.
  MakeCurrent(g_shared_active ? g_shared_active : g_current);
  return true;
}

// Sets up a GL context on a window, sharing with the shared context, and
// leaves the previously current context current.
SDL_GLContext CreateSharedContext(SDL_Window* window, TGLProfile profile) {
  const TGLContextRecord* shared = g_shared[int(profile)];
  SDL_GL_MakeCurrent(shared->window, shared->context);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
  MakeCurrent(g_shared_active ? g_shared_active : g_current);
  return context;
}

TGLContextRecord* Link(std::unique_ptr<TGLContextRecord> record) {
  TGLContextRecord* raw = record.get();
  g_records.insert(g_records.begin(), std::move(record));
  return raw;
}

SDL_Window* g_fullscreen_window = nullptr;  // the window in full screen, if any
int g_windowed_x = 0, g_windowed_y = 0;     // where it was before

// Back to a plain window: the pointer maps one to one again.
void LeaveFullScreenWindow() {
  g_fullscreen_window = nullptr;
  SetPointerFrame(TPointerFrame{});
}

// The frame's place in the current window, worked out from its size now.
void UpdateFrame() {
  TGLFrameRect f = g_frame;
  const TGLContextRecord* r = g_current;
  f.frame_w = r ? r->width : 0;
  f.frame_h = r ? r->height : 0;
  f.drawable_w = f.frame_w;
  f.drawable_h = f.frame_h;
  int window_w = f.frame_w, window_h = f.frame_h;
  int drawable_w = 0, drawable_h = 0;
  if (r && r->window &&
      WindowPlatformFrameArea(r->window, r->window == g_fullscreen_window, drawable_w, drawable_h, window_w,
                              window_h)) {
    f.drawable_w = drawable_w;
    f.drawable_h = drawable_h;
  }
  f.x = f.y = 0;
  f.width = f.frame_w;
  f.height = f.frame_h;
  if (f.frame_w > 0 && f.frame_h > 0 && f.drawable_w > 0 && f.drawable_h > 0 &&
      (f.drawable_w != f.frame_w || f.drawable_h != f.frame_h)) {
    // The largest uniform scale that fits, centred.
    const double scale = std::min(double(f.drawable_w) / f.frame_w, double(f.drawable_h) / f.frame_h);
    f.width = std::max(1, int(f.frame_w * scale + 0.5));
    f.height = std::max(1, int(f.frame_h * scale + 0.5));
    f.x = (f.drawable_w - f.width) / 2;
    f.y = (f.drawable_h - f.height) / 2;
  }
  if (f.frame_w == g_frame.frame_w && f.frame_h == g_frame.frame_h && f.drawable_w == g_frame.drawable_w &&
      f.drawable_h == g_frame.drawable_h && f.x == g_frame.x && f.y == g_frame.y &&
      f.width == g_frame.width && f.height == g_frame.height) {
    return;
  }
  ++f.serial;
  g_frame = f;
  // The pointer in window coordinates, which differ from the drawable's on
  // high-density displays; y runs downwards there.
  TPointerFrame pointer;
  if (f.Scaled() && f.drawable_w > 0 && f.drawable_h > 0) {
    pointer.frame_w = f.frame_w;
    pointer.frame_h = f.frame_h;
    pointer.x = int(int64_t(f.x) * window_w / f.drawable_w);
    pointer.width = int(int64_t(f.width) * window_w / f.drawable_w);
    pointer.y = int(int64_t(f.drawable_h - f.y - f.height) * window_h / f.drawable_h);
    pointer.height = int(int64_t(f.height) * window_h / f.drawable_h);
  }
  SetPointerFrame(pointer);
}

TGLContextRecord* ActiveRecord() { return g_shared_active ? g_shared_active : g_current; }

// The bands around a scaled frame stay black whatever the game clears to:
// they are cleared just before each swap, with the state put back after.
void ClearBands() {
  const TGLFrameRect& f = GLCurrentFrame();
  if (!f.Scaled()) return;
  GLint box[4];
  GLfloat clear[4];
  TGLContextRecord* r = ActiveRecord();
  GLboolean scissor = GL_FALSE;
  if (r && r->scissor_known) {
    scissor = r->scissor_on ? GL_TRUE : GL_FALSE;
    std::copy(r->scissor_box, r->scissor_box + 4, box);
  } else {
    scissor = glIsEnabled(GL_SCISSOR_TEST);
    glGetIntegerv(GL_SCISSOR_BOX, box);
  }
  if (r && r->clear_known) {
    std::copy(r->clear, r->clear + 4, clear);
  } else {
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  }
  glEnable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  const int bands[4][4] = {{0, 0, f.x, f.drawable_h},
                           {f.x + f.width, 0, f.drawable_w - f.x - f.width, f.drawable_h},
                           {f.x, 0, f.width, f.y},
                           {f.x, f.y + f.height, f.width, f.drawable_h - f.y - f.height}};
  for (const auto& b : bands) {
    if (b[2] <= 0 || b[3] <= 0) continue;
    glScissor(b[0], b[1], b[2], b[3]);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glScissor(box[0], box[1], box[2], box[3]);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (!scissor) glDisable(GL_SCISSOR_TEST);
}

void CloseRecord(TGLContextRecord* record) {
  if (record == g_current) {
    g_current = nullptr;
    if (!g_shared_active) MakeCurrent(nullptr);
  }
  if (record->kind == 2 && g_fullscreen_window == record->window) LeaveFullScreenWindow();
  WindowPlatformDeleteContext(record->context);
  // A foreign window's wrapper goes too; SDL leaves the window itself to its owner.
  if (record->kind != 0) SDL_DestroyWindow(record->window);
  g_records.erase(std::remove_if(g_records.begin(), g_records.end(),
                                 [record](const auto& r) { return r.get() == record; }),
                  g_records.end());
}

// Gives the window AppIcon, whatever the pixmap's format and row padding.
void ApplyAppIcon(SDL_Window* window) {
  if (!AppIcon || AppIcon->width <= 0 || AppIcon->height <= 0) return;
  std::shared_ptr<TPixmap> rgba = AppIcon->Convert(PF_RGBA8888);
  if (!rgba) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(rgba->pixels, rgba->width, rgba->height, 32,
                                                            rgba->pitch, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);  // SDL copies the pixels
  SDL_FreeSurface(surface);
}

}  // namespace

// ---- TGLGraphics

TGLGraphics::~TGLGraphics() { Close(); }

std::shared_ptr<TGraphicsDriver> TGLGraphics::Driver() { return TGLGraphicsDriver::Instance(); }

void TGLGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  if (!_context) {
    width = height = depth = hertz = flags = 0;
    return;
  }
  if (_context->kind == 1) SDL_GetWindowSize(_context->window, &_context->width, &_context->height);
  width = _context->width;
  height = _context->height;
  depth = _context->depth;
  hertz = _context->hertz;
  flags = _context->flags;
}

void TGLGraphics::Close() {
  if (!_context) return;
  CloseRecord(_context);
  _context = nullptr;
}

unsigned TGLGraphics::WindowID() const {
  return _context && _context->window ? SDL_GetWindowID(_context->window) : 0;
}

// ---- TGLGraphicsDriver

const std::shared_ptr<TGLGraphicsDriver>& TGLGraphicsDriver::Instance() {
  // Never destroyed, so texture frames released at exit can still use it.
  static const auto* driver = new std::shared_ptr<TGLGraphicsDriver>(std::make_shared<TGLGraphicsDriver>());
  return *driver;
}

std::vector<std::shared_ptr<TGraphicsMode>> TGLGraphicsDriver::GraphicsModes() {
  std::vector<std::shared_ptr<TGraphicsMode>> modes;
  if (!InitVideo()) return modes;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count && modes.size() < 1024; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    if (bits < 16) continue;
    auto m = std::make_shared<TGraphicsMode>();
    m->width = mode.w;
    m->height = mode.h;
    m->depth = bits;
    m->hertz = mode.refresh_rate;
    modes.push_back(m);
  }
  return modes;
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::AttachGraphics(void* widget, int flags) {
  if (!widget || !EnsureShared(g_profile)) return nullptr;
  RequestPixelFormat(flags, g_profile);
  SDL_Window* window = SDL_CreateWindowFrom(widget);
  if (!window) return nullptr;
  SDL_GLContext context = CreateSharedContext(window, g_profile);
  if (!context) {
    SDL_DestroyWindow(window);  // only SDL's wrapper: the window is the caller's
    return nullptr;
  }
  auto record = std::make_unique<TGLContextRecord>();
  record->kind = 1;
  SDL_GetWindowSize(window, &record->width, &record->height);
  record->flags = flags;
  record->window = window;
  record->context = context;
  return std::make_shared<TGLGraphics>(Link(std::move(record)));
}

std::shared_ptr<TGraphics> TGLGraphicsDriver::CreateGraphics(int width, int height, int depth,
                                                             int hertz, int flags) {
  if (width <= 0 || height <= 0 || !EnsureShared(g_profile)) return nullptr;
  RequestPixelFormat(flags, g_profile);
  uint32_t window_flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  int x = 32, y = 32;
  if (depth != 0) {
    window_flags |= SDL_WINDOW_FULLSCREEN;
    x = y = SDL_WINDOWPOS_UNDEFINED;
  }
  SDL_Window* window = SDL_CreateWindow(AppTitle.c_str(), x, y, width, height, window_flags);
  if (!window) return nullptr;
  if (depth != 0) {
    SDL_DisplayMode mode{};
    mode.w = width;
    mode.h = height;
    mode.refresh_rate = hertz;
    SDL_SetWindowDisplayMode(window, &mode);
  }
  SDL_GLContext context = CreateSharedContext(window, g_profile);
  if (!context) {
    SDL_DestroyWindow(window);
    return nullptr;
  }
  auto record = std::make_unique<TGLContextRecord>();
  record->kind = depth ? 3 : 2;
  SDL_GetWindowSize(window, &record->width, &record->height);
  record->depth = depth;
  record->hertz = hertz;
  record->flags = flags;
  record->window = window;
  record->caption = AppTitle;
  record->context = context;
  TGLContextRecord* raw = Link(std::move(record));
  ApplyAppIcon(window);
  SDL_ShowWindow(window);
  if (raw->kind == 2) SetFullScreenToggle(GLToggleFullScreen);
  return std::make_shared<TGLGraphics>(raw);
}

void TGLGraphicsDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
  auto* gl = dynamic_cast<TGLGraphics*>(g.get());
  TGLContextRecord* record = gl ? gl->_context : nullptr;
  if (record == g_current && !g_shared_active) return;
  g_current = record;
  g_shared_active = nullptr;
  MakeCurrent(record);
}

void TGLGraphicsDriver::Flip(int sync) {
  if (!g_current) return;
  int interval = sync ? 1 : 0;
  if (interval != g_last_interval) {
    g_interval_applied = WindowPlatformSetSwapInterval(interval);
    g_last_interval = interval;
    ++g_interval_sends;
  }
  ClearBands();
  // The caption follows AppTitle: a replay being watched says so there.
  if (g_current->kind >= 2 && g_current->caption != AppTitle) {
    g_current->caption = AppTitle;
    SDL_SetWindowTitle(g_current->window, AppTitle.c_str());
  }
  SDL_GL_SwapWindow(g_current->window);
  WindowPlatformPresented(interval);
}

void TGLGraphicsDriver::SwapSharedContext(TGLProfile profile) {
  if (!g_shared_active) {
    TGLContextRecord* shared = g_shared[int(profile)];
    if (!shared) return;
    g_shared_active = shared;
    MakeCurrent(shared);
  } else {
    g_shared_active = nullptr;
    MakeCurrent(g_current);
  }
}

void SetGLProfile(TGLProfile profile) { g_profile = profile; }
bool GLProfileAvailable(TGLProfile profile) { return EnsureShared(profile); }

bool GLSwapIntervalApplied() { return g_interval_applied; }
int GLSwapIntervalSends() { return g_interval_sends; }

int GLDisplayRefreshRate() {
  const int hertz = g_video ? WindowPlatformRefreshRate(g_current ? g_current->window : nullptr) : 0;
  return hertz > 0 ? hertz : 60;
}

void TGLFrameRect::Map(int fx, int fy, int fw, int fh, int& ox, int& oy, int& ow, int& oh) const {
  if (!Scaled()) {
    ox = fx, oy = frame_h - fy - fh, ow = fw, oh = fh;
    return;
  }
  const double sx = double(width) / frame_w, sy = double(height) / frame_h;
  auto round = [](double v) { return int(std::floor(v + 0.5)); };
  const int x0 = x + round(fx * sx), x1 = x + round((double(fx) + fw) * sx);
  const int top = y + height - round(fy * sy), bottom = y + height - round((double(fy) + fh) * sy);
  ox = x0, ow = x1 - x0, oy = bottom, oh = top - bottom;
}

const TGLFrameRect& GLCurrentFrame() {
  UpdateFrame();
  return g_frame;
}

void GLApplyViewport(const int viewport[4], unsigned& serial) {
  const TGLFrameRect& f = GLCurrentFrame();
  const int* v = viewport;
  serial = f.serial;
  glViewport(f.x, f.y, f.width, f.height);
  TGLContextRecord* r = ActiveRecord();
  if (v[0] == 0 && v[1] == 0 && v[2] == f.frame_w && v[3] == f.frame_h) {
    glDisable(GL_SCISSOR_TEST);
    // The box is then whatever was set last: it counts only once the test is
    // on again, and whoever turns it on here sets the box too.
    if (r) {
      r->scissor_on = false;
      r->scissor_known = true;
    }
  } else {
    int x = 0, y = 0, w = 0, h = 0;
    f.Map(v[0], v[1], v[2], v[3], x, y, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    if (r) {
      r->scissor_on = r->scissor_known = true;
      r->scissor_box[0] = x, r->scissor_box[1] = y, r->scissor_box[2] = w, r->scissor_box[3] = h;
    }
  }
}

void GLClearColor(float red, float green, float blue, float alpha) {
  glClearColor(red, green, blue, alpha);
  if (TGLContextRecord* r = ActiveRecord()) {
    r->clear_known = true;
    r->clear[0] = red, r->clear[1] = green, r->clear[2] = blue, r->clear[3] = alpha;
  }
}

void GLToggleFullScreen() {
  TGLContextRecord* r = g_current;
  if (!r || r->kind != 2) return;
  SDL_Window* window = r->window;
  if (g_fullscreen_window == window) {
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowSize(window, r->width, r->height);
    SDL_SetWindowPosition(window, g_windowed_x, g_windowed_y);
    LeaveFullScreenWindow();
  } else {
    // The window first covers the desktop itself, then asks the window
    // manager for the full-screen state: where there is no window manager
    // (a bare X server) the request alone would change nothing.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &bounds) != 0) return;
    SDL_GetWindowPosition(window, &g_windowed_x, &g_windowed_y);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    g_fullscreen_window = window;
  }
  UpdateFrame();
}

bool GLFullScreen() { return g_current && g_current->window == g_fullscreen_window; }

namespace {
TFlipPacer g_pacer;
int (*g_refresh_source)() = nullptr;

int RefreshRate() { return g_refresh_source ? g_refresh_source() : GLDisplayRefreshRate(); }
}  // namespace

void GLPacedFlip(int sync) {
  // Until the pace starts, each Flip(1) looks for a reason to start it:
  // before presenting, a display faster than the game; after, missing vsync.
  const bool unpaced = sync && !g_pacer.paced;
  const int hertz = unpaced ? RefreshRate() : 0;
  if (unpaced) g_pacer.BeforeFlip(Millisecs(), hertz);
  if (sync && g_pacer.paced) Delay(g_pacer.WaitBeforeFlip(Millisecs()));
  TGLGraphicsDriver::Instance()->Flip(sync);
  if (unpaced && !g_pacer.paced) g_pacer.AfterFlip(GLSwapIntervalApplied(), Millisecs(), hertz);
}

bool GLFlipPaced() { return g_pacer.paced; }

int GLContextRestores() { return WindowPlatformContextRestores(); }

void SetRefreshRateSource(int (*source)()) { g_refresh_source = source; }
