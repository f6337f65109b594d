// The generic graphics level: a graphics context (TGraphics), the driver that
// makes and presents them (TGraphicsDriver), and the free functions the game
// calls, which act on one process-wide current driver and current graphics.
// The 2D level (canvas.h) and the SDL window level (graphics/sdl/sdl_window.h) sit on
// this; it leans on the hook chains and polled input of the system layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Flags of OpenGraphics / CreateGraphics; the driver's default flags are OR-ed in.
constexpr int GRAPHICS_BACKBUFFER = 2;
constexpr int GRAPHICS_ALPHABUFFER = 4;
constexpr int GRAPHICS_DEPTHBUFFER = 8;
constexpr int GRAPHICS_STENCILBUFFER = 16;
constexpr int GRAPHICS_ACCUMBUFFER = 32;

class TGraphicsDriver;
class TPixmap;

// One open graphics context.
class TGraphics : public std::enable_shared_from_this<TGraphics> {
 public:
  virtual ~TGraphics() = default;
  virtual std::shared_ptr<TGraphicsDriver> Driver() = 0;
  virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
  virtual void Close() = 0;
};

// A display mode as the system reports it.
class TGraphicsMode {
 public:
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;

  // "800,600,32 60Hz"
  std::string ToString() const;
};

// Makes contexts and presents frames.
class TGraphicsDriver : public std::enable_shared_from_this<TGraphicsDriver> {
 public:
  virtual ~TGraphicsDriver() = default;
  virtual std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() = 0;
  // Wraps an existing native window; widget is the platform's window handle.
  virtual std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) = 0;
  virtual std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                                    int flags) = 0;
  // Makes g current; an empty g leaves nothing current.
  virtual void SetGraphics(const std::shared_ptr<TGraphics>& g) = 0;
  // sync: 1 waits for the vertical refresh, 0 does not.
  virtual void Flip(int sync) = 0;
  // Whether this system can give the driver what it draws with.
  virtual bool Available() { return true; }
};

// Sequence number of the graphics generation. Starts at 1, advances with every
// OpenGraphics and EndGraphics and never becomes 0, so a texture made under a
// different (or zero) number is stale.
extern int GraphicsSeq;
// Starts a new graphics generation: a driver whose textures were lost with
// its context calls it, and every image makes its textures again when next
// drawn.
void AdvanceGraphicsSeq();

// Hook chain run with no data at the start of every Flip.
extern int FlipHook;

// The icon of every window opened from now on (beside AppTitle, its caption);
// none leaves the desktop's default icon.
extern std::shared_ptr<TPixmap> AppIcon;

// Chooses the current driver. Until a program chooses one, the default
// registered driver is installed with its default flags on first use.
void SetGraphicsDriver(const std::shared_ptr<TGraphicsDriver>& driver,
                       int default_flags = GRAPHICS_BACKBUFFER);
std::shared_ptr<TGraphicsDriver> GetGraphicsDriver();

// The renderers this platform offers, each under a short name ("gl",
// "gles2") and made on first use, are listed in its driver table
// (platforms/); the default is the one of highest rank.
// Their names, default first.
std::vector<std::string> GraphicsDriverNames();
// The named driver, made on first use; none for a name nobody registered.
std::shared_ptr<TGraphicsDriver> GraphicsDriverNamed(const std::string& name);
// Makes the named driver the default (installed on first use, unless a
// program chose one itself); false for an unknown name.
bool UseGraphicsDriverNamed(const std::string& name);
// The renderer named by GLOOMFALL_RENDERER, if set, becomes the default.
// Returns an empty string, or one line saying why it cannot be used: an
// unknown name, or a driver that cannot draw on this system.
std::string ChooseRendererFromEnvironment();

// The current driver's display modes, asked once and cached.
const std::vector<std::shared_ptr<TGraphicsMode>>& GraphicsModes();

// Exceptions inside the driver become an empty result.
std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags);
std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags);

void SetGraphics(const std::shared_ptr<TGraphics>& g);
std::shared_ptr<TGraphics> GetGraphics();
void CloseGraphics(const std::shared_ptr<TGraphics>& g);

// Opens the program's graphics (closing what an earlier call opened); empty
// when no context can be made, for example without a display or OpenGL.
std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth = 0, int hertz = 60,
                                        int flags = 0);
void EndGraphics();

// Presents the frame. 1 waits for the vertical refresh, 0 does not, -1 paces
// by the hertz given to OpenGraphics.
void Flip(int sync = -1);
// While on, Flip(1) does not wait for the refresh either: a replay played
// fast shows its frames as quickly as they come.
void SetFlipUnsynced(bool unsynced);
// While on, nothing is drawn and Flip presents nothing (the draw state still
// follows every call): a replay played fast shows one frame in four.
void SkipDrawing(bool skip);
bool DrawingSkipped();
// A line over the bottom of every frame presented in the next ms
// milliseconds, in the default font (graphics/notice.cpp).
void ShowNotice(const std::string& text, int32_t ms = 5000);

int GraphicsWidth();
int GraphicsHeight();
int GraphicsDepth();
int GraphicsHertz();
int GraphicsFlags();
