// The window level under both renderers: SDL windows with desktop OpenGL
// (fixed function) or OpenGL ES 2.0 contexts, as the chosen 2D driver asks,
// one hidden context of each kind whose textures every window of that kind
// shares, making contexts current, full screen, and presenting frames with a
// swap interval, paced by TFlipPacer (graphics/flip_pacer.h).
// TGLCanvasDriver (graphics/opengl/) and TGLES2CanvasDriver (graphics/gles2/)
// draw on top of it.
#pragma once

#include <memory>
#include <vector>

#include "graphics/graphics.h"

struct TGLContextRecord;

// The two kinds of context: desktop OpenGL with the fixed-function pipeline,
// and OpenGL ES 2.0 (what browsers offer as WebGL 1).
enum class TGLProfile { Desktop = 0, ES2 = 1 };

// The kind of context made from now on (Desktop until a driver asks).
void SetGLProfile(TGLProfile profile);
// Whether a context of that kind can be made here: makes its hidden shared
// context if there is none yet.
bool GLProfileAvailable(TGLProfile profile);

// One GL context with its window.
class TGLGraphics : public TGraphics {
 public:
  explicit TGLGraphics(TGLContextRecord* record) : _context(record) {}
  ~TGLGraphics() override;

  std::shared_ptr<TGraphicsDriver> Driver() override;
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  // Destroys the context and its window; the record handle becomes empty.
  void Close() override;

  // The native record; empty after Close.
  TGLContextRecord* _context = nullptr;

  // The SDL window id of this context's window (0 when closed), for tests and
  // for telling which window an input event belongs to.
  unsigned WindowID() const;
};

class TGLGraphicsDriver : public TGraphicsDriver {
 public:
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
  void Flip(int sync) override;
  // Switches to the hidden shared context of a kind and back; texture
  // creation and deletion are bracketed by two calls.
  virtual void SwapSharedContext(TGLProfile profile = TGLProfile::Desktop);

  // The one instance, made on first use.
  static const std::shared_ptr<TGLGraphicsDriver>& Instance();
};

// Swaps the current window's buffers, pacing Flip(1) as TFlipPacer says.
void GLPacedFlip(int sync);

// How many times the contexts were lost and given back (a browser may take
// its WebGL context away for a while): every GL object made before is gone,
// and a 2D driver that sees this change makes what it needs again. Always 0
// on the desktop.
int GLContextRestores();

// Whether Flip(1) paces frames on the millisecond clock on this display.
bool GLFlipPaced();

// Where Flip(1) reads the display's refresh rate; none (the default) asks
// the window's display. Tests put in a rate of their choosing.
void SetRefreshRateSource(int (*source)());

// Whether the last swap interval sent was taken by the system (false when
// the swap-interval extension is missing or refused the value).
bool GLSwapIntervalApplied();

// How many swap-interval changes have been sent to the system: the first
// Flip of the process always sends one, later Flips only when sync changes.
int GLSwapIntervalSends();

// The refresh rate of the display showing the current window, from SDL;
// 60 when it is unknown.
int GLDisplayRefreshRate();

// Where the current window shows its graphics' frame. In a window that is the
// whole drawable; in full screen (and in the browser's canvas) the frame is
// scaled uniformly to the largest size that fits, centred, with black bands
// beside or above and below it.
// Pixel rectangles are GL's way up (y from the drawable's bottom edge).
struct TGLFrameRect {
  int frame_w = 0, frame_h = 0;        // the graphics' own size (what the game draws in)
  int drawable_w = 0, drawable_h = 0;  // the window's pixels
  int x = 0, y = 0, width = 0, height = 0;  // the frame on the drawable
  unsigned serial = 0;                 // changes whenever anything above does

  bool Scaled() const { return width != frame_w || height != frame_h || x != 0 || y != 0; }
  // A rectangle of the frame (y down, frame pixels) on the drawable (y up),
  // edges rounded to the nearest pixel.
  void Map(int fx, int fy, int fw, int fh, int& ox, int& oy, int& ow, int& oh) const;
};
// The current window's frame, brought up to date with its size on each call.
const TGLFrameRect& GLCurrentFrame();

// Sets GL's viewport to the current window's frame and the scissor to the
// game's viewport (x, y, width, height in frame pixels) within it, or off when
// that is the whole frame; serial gets the frame's serial. Both 2D drivers
// call it when the game's viewport changes and when the frame has.
void GLApplyViewport(const int viewport[4], unsigned& serial);
// glClearColor, remembered for the current context (the scissor is, by
// GLApplyViewport): putting them back after the bands are cleared then needs
// no query of GL. Both 2D drivers set the clear colour through it.
void GLClearColor(float red, float green, float blue, float alpha);

// Switches the current window between its own size and full screen at the
// desktop's resolution (no change of display mode). F11 and Alt+Enter do it.
void GLToggleFullScreen();
bool GLFullScreen();
