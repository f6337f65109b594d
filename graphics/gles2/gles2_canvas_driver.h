// The OpenGL ES 2.0 2D driver (WebGL 1 in a browser): the same TCanvasDriver
// contract as the OpenGL 1.1 one, over the same SDL window level
// (graphics/sdl/sdl_window.h) with ES 2.0 contexts. Draws are batched: consecutive draws
// append to one vertex buffer, and only a change of primitive, blend or line
// width, a fifth texture, a large quad, a clear, a viewport change, a pixmap
// transfer or Flip sends it as one draw call. A batch holds up to four
// textures, one per texture unit, each vertex saying which it samples, so
// sprites of different pictures drawn in turn share a batch. Colours travel
// per vertex, so a change of colour never breaks a batch; lines, points and
// shapes draw with a 1 x 1 white texture, so the same shaders serve them.
// Context operations and the batch are in gles2_canvas_context.cpp, the
// drawing slots in gles2_canvas_draw.cpp, textures in gles2_image_frame.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas.h"

class TGLES2CanvasDriver : public TCanvasDriver {
 public:
  // TGraphicsDriver
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
  void Flip(int sync) override;
  bool Available() override;

  // TCanvasDriver
  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                     int flags) override;
  void SetBlend(int mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int red, int green, int blue) override;
  void SetClsColor(int red, int green, int blue) override;
  void SetViewport(int x, int y, int width, int height) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                float origin_y) override;
  void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) override;
  std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;

  uint64_t DrawCalls() const override;

  std::string ToString() const { return "OpenGL ES 2.0"; }

  // The one instance, made on first use.
  static const std::shared_ptr<TGLES2CanvasDriver>& Instance();
};

// One vertex of a batch: position in window pixels, texture coordinates,
// colour and alpha bytes, and the texture unit it samples.
struct TGLES2Vertex {
  float x, y, u, v;
  uint8_t rgba[4];
  float unit;
};

// Texture units a batch may use at once (OpenGL ES 2.0 and WebGL promise 8;
// each one more costs every fragment of a batch a lookup on a software
// rasterizer).
constexpr int kGLES2BatchUnits = 4;

// What the ES 2.0 driver has sent to GL, and the batch it has not sent yet.
struct TGLES2CanvasState {
  int blend_mode = 0;                        // 0 = unknown
  uint8_t color[4] = {255, 255, 255, 255};   // red, green, blue, alpha bytes
  TCanvasMatrix matrix;
  float line_width = 1.0f;
  int viewport[4] = {0, 0, 0, 0};            // the game's viewport: x, y, width, height
  unsigned frame_serial = 0;                 // the window frame the GL viewport was set for
  bool ready = false;                        // a drawing context is current and set up
  uint32_t bound[kGLES2BatchUnits] = {};    // the texture bound on each unit
  int active_unit = 0;
  // The batch: its textures by unit, its primitive and its vertices.
  uint32_t batch_textures[kGLES2BatchUnits] = {};
  int batch_units = 0;
  float unit = 0.0f;                         // the unit new vertices sample
  uint32_t batch_primitive = 0;
  std::vector<TGLES2Vertex> vertices;
  // Objects shared by every ES context.
  bool batch_large = false;                  // the batch is one large quad
  // The two programs (one texture, or one of several by unit) and the
  // objects every ES context shares.
  uint32_t programs[2] = {0, 0};
  // The programs are being built: GL builds them while the game goes on
  // (in a browser, in another process), and asking how it went waits for
  // that, so it is asked only when the first batch is drawn.
  bool linking = false;
  int u_projection[2] = {-1, -1}, u_alpha_ref[2] = {-1, -1};
  float projection[16] = {};                 // the context's, for both programs
  int program = 0;                           // which one is in use
  uint32_t buffer = 0, white_texture = 0, scratch_texture = 0;
  int max_texture_size = 0;
  uint64_t draw_calls = 0;  // draw calls sent, for the benchmarks
  // The window level's count of lost and restored contexts when the objects
  // above were made, and how many times they have been made again since.
  int restores = 0;
  int generation = 0;
};
extern TGLES2CanvasState g_es2;

// Room for count more vertices of the primitive with the texture (a GL
// texture name; 0 means the white one), after flushing the batch if it holds
// another primitive or has no unit left for the texture. A large draw goes
// in a batch of its own, drawn by the one-texture program.
TGLES2Vertex* GLES2Reserve(uint32_t texture, uint32_t primitive, int count, bool large = false);
// Sets one vertex: (x, y) through the driver's matrix, moved by (tx, ty)
// and then by offset on both axes, in the current colour.
void GLES2Vertex(TGLES2Vertex& v, float x, float y, float tx, float ty, float u = 0.0f,
                 float v_ = 0.0f, float offset = 0.0f);
// Sends the batch as one draw call.
void GLES2Flush();
// Whether the programs built, learning it first if they were still being
// built (their uniforms are then set); false also when no context is ready.
bool GLES2ProgramsReady();
// Binds a texture on a unit (and makes that unit active), unless it already is.
void GLES2Bind(int unit, uint32_t texture);
// Forgets a deleted texture: sends a batch that uses it, and drops it from
// the bound-texture record, since GL may hand its name out again.
void GLES2Forget(uint32_t texture);
