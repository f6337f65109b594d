// The lowest level of the OpenGL renderer: SDL windows with fixed-function
// OpenGL contexts, one hidden context whose textures every window shares,
// making contexts current and presenting frames with a swap interval.
// TGLCanvasDriver (gl_canvas_driver.h) draws on top of it.
#pragma once

#include <memory>
#include <vector>

#include "graphics/graphics.h"

struct TGLContextRecord;

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
  // Switches to the hidden shared context and back; texture creation and
  // deletion are bracketed by two calls.
  virtual void SwapSharedContext();

  // The one instance, made on first use.
  static const std::shared_ptr<TGLGraphicsDriver>& Instance();
};

// Whether the last swap interval sent was taken by the system (false when
// the swap-interval extension is missing or refused the value).
bool GLSwapIntervalApplied();

// How many swap-interval changes have been sent to the system: the first
// Flip of the process always sends one, later Flips only when sync changes.
int GLSwapIntervalSends();

// The refresh rate of the display showing the current window, from SDL;
// 60 when it is unknown.
int GLDisplayRefreshRate();
