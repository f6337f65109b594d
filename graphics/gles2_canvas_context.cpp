// The OpenGL ES 2.0 2D driver's context operations: registration, wrapping
// ES contexts in 2D contexts, the shader and buffers every draw goes
// through, the batch, clearing, viewports and presenting.
#include <GLES2/gl2.h>

#include <cstddef>

#include "graphics/gl_flip.h"
#include "graphics/gl_graphics.h"
#include "graphics/gles2_canvas_driver.h"

TGLES2CanvasState g_es2;

namespace {

// GLSL ES 1.00, so the same source runs in WebGL 1. Vertices arrive in
// window pixels and leave through the same projection the OpenGL 1.1 driver
// loads (glOrtho over the graphics' size, y down). The fragment is the
// texel times the vertex colour, as fixed-function modulation gives, and the
// mask blend's alpha test is the discard.
const char* const kVertexShader = R"(
attribute vec2 a_position;
attribute vec2 a_uv;
attribute vec4 a_color;
uniform mat4 u_projection;
varying vec2 v_uv;
varying vec4 v_color;
void main() {
  gl_Position = u_projection * vec4(a_position, 0.0, 1.0);
  gl_PointSize = 1.0;
  v_uv = a_uv;
  v_color = a_color;
}
)";

const char* const kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_texture;
uniform float u_alpha_ref;
varying vec2 v_uv;
varying vec4 v_color;
void main() {
  vec4 color = texture2D(u_texture, v_uv) * v_color;
  if (color.a < u_alpha_ref) discard;
  gl_FragColor = color;
}
)";

enum : GLuint { kPosition = 0, kUV = 1, kColor = 2 };

GLuint Compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// The program, the vertex buffer and the textures every ES context shares;
// false when the shaders do not build.
bool MakeSharedObjects() {
  TGLES2CanvasState& st = g_es2;
  if (st.program) return true;
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return false;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glBindAttribLocation(program, kPosition, "a_position");
  glBindAttribLocation(program, kUV, "a_uv");
  glBindAttribLocation(program, kColor, "a_color");
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    glDeleteProgram(program);
    return false;
  }
  st.program = program;
  st.u_projection = glGetUniformLocation(program, "u_projection");
  st.u_alpha_ref = glGetUniformLocation(program, "u_alpha_ref");
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "u_texture"), 0);
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  st.buffer = buffer;
  GLuint textures[2] = {0, 0};
  glGenTextures(2, textures);
  st.white_texture = textures[0];
  st.scratch_texture = textures[1];
  for (GLuint t : textures) {
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  }
  const uint8_t white[4] = {255, 255, 255, 255};
  glBindTexture(GL_TEXTURE_2D, st.white_texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  st.max_texture_size = max_size;
  return true;
}

// A freshly current ES context in the state the driver assumes.
void ResetContext(const std::shared_ptr<TCanvasGraphics>& g) {
  TGLES2CanvasState& st = g_es2;
  st.ready = MakeSharedObjects();
  if (!st.ready) return;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  g->GetSettings(width, height, depth, hertz, flags);
  glUseProgram(st.program);
  glBindBuffer(GL_ARRAY_BUFFER, st.buffer);
  glEnableVertexAttribArray(kPosition);
  glEnableVertexAttribArray(kUV);
  glEnableVertexAttribArray(kColor);
  const GLsizei stride = sizeof(TGLES2Vertex);
  glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, x)));
  glVertexAttribPointer(kUV, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, u)));
  glVertexAttribPointer(kColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, rgba)));
  // glOrtho(0, width, height, 0, -1, 1), column by column.
  const GLfloat projection[16] = {2.0f / float(width), 0, 0, 0, 0, -2.0f / float(height), 0, 0,
                                  0, 0, -1, 0, -1, 1, 0, 1};
  glUniformMatrix4fv(st.u_projection, 1, GL_FALSE, projection);
  glActiveTexture(GL_TEXTURE0);
  st.blend_mode = 0;
  st.bound_texture = 0;
  st.vertices.clear();
  st.viewport[0] = st.viewport[1] = 0;
  st.viewport[2] = width;
  st.viewport[3] = height;
  st.frame_serial = GLCurrentFrame().serial - 1;
}

void ApplyViewport() {
  const TGLFrameRect& f = GLCurrentFrame();
  const int* v = g_es2.viewport;
  g_es2.frame_serial = f.serial;
  glViewport(f.x, f.y, f.width, f.height);
  if (v[0] == 0 && v[1] == 0 && v[2] == f.frame_w && v[3] == f.frame_h) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    int x = 0, y = 0, w = 0, h = 0;
    f.Map(v[0], v[1], v[2], v[3], x, y, w, h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
  }
}

void CheckFrame() {
  if (GLCurrentFrame().serial != g_es2.frame_serial) ApplyViewport();
}

}  // namespace

TGLES2Vertex* GLES2Reserve(uint32_t texture, uint32_t primitive, int count) {
  TGLES2CanvasState& st = g_es2;
  if (!texture) texture = st.white_texture;
  if (texture != st.batch_texture || primitive != st.batch_primitive) {
    GLES2Flush();
    st.batch_texture = texture;
    st.batch_primitive = primitive;
  }
  const size_t at = st.vertices.size();
  st.vertices.resize(at + size_t(count));
  return st.vertices.data() + at;
}

void GLES2Vertex(TGLES2Vertex& v, float x, float y, float tx, float ty, float u, float v_,
                 float offset) {
  const TCanvasMatrix& m = g_es2.matrix;
  v.x = m.X(x, y, tx) + offset;
  v.y = m.Y(x, y, ty) + offset;
  v.u = u;
  v.v = v_;
  for (int i = 0; i < 4; ++i) v.rgba[i] = g_es2.color[i];
}

void GLES2Flush() {
  TGLES2CanvasState& st = g_es2;
  if (st.vertices.empty()) return;
  if (!st.ready) {
    st.vertices.clear();
    return;
  }
  if (st.bound_texture != st.batch_texture) {
    glBindTexture(GL_TEXTURE_2D, st.batch_texture);
    st.bound_texture = st.batch_texture;
  }
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(st.vertices.size() * sizeof(TGLES2Vertex)),
               st.vertices.data(), GL_STREAM_DRAW);
  glDrawArrays(st.batch_primitive, 0, GLsizei(st.vertices.size()));
  ++st.draw_calls;
  st.vertices.clear();
}

const std::shared_ptr<TGLES2CanvasDriver>& TGLES2CanvasDriver::Instance() {
  // Never destroyed, so images released at exit can still reach it.
  static const auto* driver =
      new std::shared_ptr<TGLES2CanvasDriver>(std::make_shared<TGLES2CanvasDriver>());
  return *driver;
}

// The OpenGL ES 2.0 driver is "gles2"; the desktop's default stays the
// OpenGL 1.1 one. As with that driver, nothing names this file, so every
// program that links the graphics library asks for the symbol below
// (graphics/CMakeLists.txt) to keep it and its registration.
namespace {
std::shared_ptr<TGraphicsDriver> MakeGLES2CanvasDriver() { return TGLES2CanvasDriver::Instance(); }
const bool g_registered = (RegisterGraphicsDriver("gles2", "OpenGL ES 2.0", MakeGLES2CanvasDriver,
                                                  GRAPHICS_BACKBUFFER, 0),
                           true);
}  // namespace

extern "C" bool GloomfallLinkGLES2CanvasDriver() { return g_registered; }

bool TGLES2CanvasDriver::Available() { return GLProfileAvailable(TGLProfile::ES2); }

std::vector<std::shared_ptr<TGraphicsMode>> TGLES2CanvasDriver::GraphicsModes() {
  return TGLGraphicsDriver::Instance()->GraphicsModes();
}

std::shared_ptr<TGraphics> TGLES2CanvasDriver::AttachGraphics(void* widget, int flags) {
  SetGLProfile(TGLProfile::ES2);
  auto g = TGLGraphicsDriver::Instance()->AttachGraphics(widget, flags);
  if (!g) return nullptr;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

std::shared_ptr<TGraphics> TGLES2CanvasDriver::CreateGraphics(int width, int height, int depth,
                                                              int hertz, int flags) {
  SetGLProfile(TGLProfile::ES2);
  auto g = TGLGraphicsDriver::Instance()->CreateGraphics(width, height, depth, hertz, flags);
  if (!g) return nullptr;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

void TGLES2CanvasDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
  GLES2Flush();
  g_es2.ready = false;
  if (!g) {
    TCanvasGraphics::ClearCurrent();
    TGLGraphicsDriver::Instance()->SetGraphics(nullptr);
    return;
  }
  auto canvas = std::dynamic_pointer_cast<TCanvasGraphics>(g);
  if (!canvas) return;
  TGLGraphicsDriver::Instance()->SetGraphics(canvas->_graphics);
  ResetContext(canvas);
  canvas->MakeCurrent();
}

void TGLES2CanvasDriver::Flip(int sync) {
  GLES2Flush();
  GLPacedFlip(sync);
}

void TGLES2CanvasDriver::Cls() {
  GLES2Flush();
  CheckFrame();
  glClear(GL_COLOR_BUFFER_BIT);
}

void TGLES2CanvasDriver::SetClsColor(int red, int green, int blue) {
  glClearColor(ColorByte(red) / 255.0f, ColorByte(green) / 255.0f, ColorByte(blue) / 255.0f, 1.0f);
}

void TGLES2CanvasDriver::SetViewport(int x, int y, int width, int height) {
  GLES2Flush();
  int* v = g_es2.viewport;
  v[0] = x, v[1] = y, v[2] = width, v[3] = height;
  ApplyViewport();
}

uint64_t TGLES2CanvasDriver::DrawCalls() const { return g_es2.draw_calls; }
