// The OpenGL ES 2.0 2D driver's context operations: its factory, wrapping
// ES contexts in 2D contexts, the shader and buffers every draw goes
// through, the batch, clearing, viewports and presenting.
#include <GLES2/gl2.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>

#include "graphics/flip_pacer.h"
#include "graphics/sdl/sdl_window.h"
#include "graphics/gles2/gles2_canvas_driver.h"

TGLES2CanvasState g_es2;

namespace {

// GLSL ES 1.00, so the same source runs in WebGL 1. Vertices arrive in
// window pixels and leave through the same projection the OpenGL 1.1 driver
// loads (glOrtho over the graphics' size, y down). The fragment is the
// texel times the vertex colour, as fixed-function modulation gives, and the
// mask blend's alpha test is the discard. GLSL ES 1.00 cannot pick a sampler
// by a varying, so the unit is chosen by comparisons; every vertex of a
// primitive names the same unit, so the choice never splits a primitive.
const char* const kVertexShader = R"(
attribute vec2 a_position;
attribute vec2 a_uv;
attribute vec4 a_color;
attribute float a_unit;
uniform mat4 u_projection;
varying vec2 v_uv;
varying vec4 v_color;
varying float v_unit;
void main() {
  gl_Position = u_projection * vec4(a_position, 0.0, 1.0);
  gl_PointSize = 1.0;
  v_uv = a_uv;
  v_color = a_color;
  v_unit = a_unit;
}
)";

// Two fragment programs: one samples the one texture of its batch, the
// other picks one of kGLES2BatchUnits by the vertex's unit. A software
// rasterizer works out every branch of the second for every fragment, so
// large quads go alone through the first (GLES2Reserve's `large`).
const char* const kFragmentHead = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_t0, u_t1, u_t2, u_t3;
uniform float u_alpha_ref;
varying vec2 v_uv;
varying vec4 v_color;
varying float v_unit;
)";
const char* const kOneTexel = R"(
vec4 Texel() { return texture2D(u_t0, v_uv); }
)";
const char* const kUnitTexel = R"(
vec4 Texel() {
  if (v_unit < 1.5) return v_unit < 0.5 ? texture2D(u_t0, v_uv) : texture2D(u_t1, v_uv);
  return v_unit < 2.5 ? texture2D(u_t2, v_uv) : texture2D(u_t3, v_uv);
}
)";
const char* const kFragmentMain = R"(
void main() {
  vec4 color = Texel() * v_color;
  if (color.a < u_alpha_ref) discard;
  gl_FragColor = color;
}
)";

enum : GLuint { kPosition = 0, kUV = 1, kColor = 2, kUnit = 3 };

GLuint Compile(GLenum kind, const std::string& source) {
  GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  return shader;
}

// One of the two programs, sent to be built; 0 when GL makes none. Nothing
// here asks GL how the build went: a shader that does not compile makes the
// program fail to link, which FinishProgram finds out.
GLuint StartProgram(const char* texel) {
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, std::string(kFragmentHead) + texel + kFragmentMain);
  GLuint program = glCreateProgram();
  if (program) {
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, kPosition, "a_position");
    glBindAttribLocation(program, kUV, "a_uv");
    glBindAttribLocation(program, kColor, "a_color");
    glBindAttribLocation(program, kUnit, "a_unit");
    glLinkProgram(program);
  }
  glDeleteShader(vs);
  glDeleteShader(fs);
  return program;
}

// Whether the program built, with its texture units set if it did.
bool FinishProgram(GLuint program) {
  if (!program) return false;
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) return false;
  glUseProgram(program);
  for (int unit = 0; unit < kGLES2BatchUnits; ++unit) {
    const std::string name = "u_t" + std::to_string(unit);
    glUniform1i(glGetUniformLocation(program, name.c_str()), unit);
  }
  return true;
}

// The programs (sent to be built: see GLES2ProgramsReady), the vertex
// buffer and the textures every ES context shares.
bool MakeSharedObjects() {
  TGLES2CanvasState& st = g_es2;
  if (st.programs[0] || st.linking) return true;
  st.programs[0] = StartProgram(kOneTexel);
  st.programs[1] = StartProgram(kUnitTexel);
  st.linking = true;
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

// A context given back empty after a loss (a browser may take WebGL away
// for a while): what the driver made in it before is gone, not to be
// deleted, and is made again on demand; the images make their textures
// again through a new graphics generation.
bool ForgetLostObjects() {
  TGLES2CanvasState& st = g_es2;
  const int restores = GLContextRestores();
  if (restores == st.restores) return false;
  st.restores = restores;
  ++st.generation;
  st.programs[0] = st.programs[1] = 0;
  st.linking = false;
  st.buffer = st.white_texture = st.scratch_texture = 0;
  st.max_texture_size = 0;
  AdvanceGraphicsSeq();
  return true;
}

// A freshly current ES context in the state the driver assumes.
void ResetContext(const std::shared_ptr<TCanvasGraphics>& g) {
  TGLES2CanvasState& st = g_es2;
  ForgetLostObjects();
  st.ready = MakeSharedObjects();
  if (!st.ready) return;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  g->GetSettings(width, height, depth, hertz, flags);
  glBindBuffer(GL_ARRAY_BUFFER, st.buffer);
  glEnableVertexAttribArray(kPosition);
  glEnableVertexAttribArray(kUV);
  glEnableVertexAttribArray(kColor);
  glEnableVertexAttribArray(kUnit);
  const GLsizei stride = sizeof(TGLES2Vertex);
  glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, x)));
  glVertexAttribPointer(kUV, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, u)));
  glVertexAttribPointer(kColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, rgba)));
  glVertexAttribPointer(kUnit, 1, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(TGLES2Vertex, unit)));
  // glOrtho(0, width, height, 0, -1, 1), column by column.
  const GLfloat projection[16] = {2.0f / float(width), 0, 0, 0, 0, -2.0f / float(height), 0, 0,
                                  0, 0, -1, 0, -1, 1, 0, 1};
  std::copy(std::begin(projection), std::end(projection), std::begin(st.projection));
  st.program = 1;
  if (!st.linking) {
    for (int i = 0; i < 2; ++i) {
      glUseProgram(st.programs[i]);
      glUniformMatrix4fv(st.u_projection[i], 1, GL_FALSE, st.projection);
    }
  }
  glActiveTexture(GL_TEXTURE0);
  st.active_unit = 0;
  std::fill(std::begin(st.bound), std::end(st.bound), 0u);
  st.blend_mode = 0;
  st.line_width = 1.0f;  // a new context's own
  st.vertices.clear();
  st.batch_units = 0;
  st.viewport[0] = st.viewport[1] = 0;
  st.viewport[2] = width;
  st.viewport[3] = height;
  st.frame_serial = GLCurrentFrame().serial - 1;
}

}  // namespace

bool GLES2ProgramsReady() {
  TGLES2CanvasState& st = g_es2;
  if (!st.linking) return st.ready;
  st.linking = false;
  if (!FinishProgram(st.programs[0]) || !FinishProgram(st.programs[1])) {
    for (GLuint& program : st.programs) {
      if (program) glDeleteProgram(program);
      program = 0;
    }
    st.ready = false;
    return false;
  }
  for (int i = 0; i < 2; ++i) {
    st.u_projection[i] = glGetUniformLocation(st.programs[i], "u_projection");
    st.u_alpha_ref[i] = glGetUniformLocation(st.programs[i], "u_alpha_ref");
    glUseProgram(st.programs[i]);
    glUniformMatrix4fv(st.u_projection[i], 1, GL_FALSE, st.projection);
    glUniform1f(st.u_alpha_ref[i], st.blend_mode == BLEND_MASK ? 0.5f : -1.0f);
  }
  glUseProgram(st.programs[st.program]);
  return true;
}

namespace {

void CheckFrame() {
  if (GLCurrentFrame().serial != g_es2.frame_serial) GLApplyViewport(g_es2.viewport, g_es2.frame_serial);
}

}  // namespace

TGLES2Vertex* GLES2Reserve(uint32_t texture, uint32_t primitive, int count, bool large) {
  TGLES2CanvasState& st = g_es2;
  if (!texture) texture = st.white_texture;
  if (primitive != st.batch_primitive || large || st.batch_large) GLES2Flush();
  st.batch_primitive = primitive;
  st.batch_large = large;
  int unit = 0;
  while (unit < st.batch_units && st.batch_textures[unit] != texture) ++unit;
  if (unit == st.batch_units) {
    if (unit == kGLES2BatchUnits) {
      GLES2Flush();
      unit = 0;
    }
    st.batch_textures[unit] = texture;
    st.batch_units = unit + 1;
  }
  st.unit = float(unit);
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
  v.unit = g_es2.unit;
}

void GLES2Bind(int unit, uint32_t texture) {
  TGLES2CanvasState& st = g_es2;
  if (st.active_unit != unit) {
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    st.active_unit = unit;
  }
  if (st.bound[unit] != texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    st.bound[unit] = texture;
  }
}

void GLES2Forget(uint32_t texture) {
  TGLES2CanvasState& st = g_es2;
  if (std::find(st.batch_textures, st.batch_textures + st.batch_units, texture) !=
      st.batch_textures + st.batch_units) {
    GLES2Flush();
  }
  for (uint32_t& bound : st.bound) {
    if (bound == texture) bound = 0;
  }
}

void GLES2Flush() {
  TGLES2CanvasState& st = g_es2;
  const int units = st.batch_units;
  st.batch_units = 0;
  if (st.vertices.empty()) return;
  if (!GLES2ProgramsReady()) {
    st.vertices.clear();
    return;
  }
  for (int unit = 0; unit < units; ++unit) GLES2Bind(unit, st.batch_textures[unit]);
  const int program = units > 1 ? 1 : 0;
  if (st.program != program) {
    glUseProgram(st.programs[program]);
    st.program = program;
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

// The OpenGL ES 2.0 driver, "gles2" in the platform tables (platforms/).
std::shared_ptr<TGraphicsDriver> MakeGLES2CanvasDriver() { return TGLES2CanvasDriver::Instance(); }

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
  // The frame may have waited for a lost context to come back: the current
  // graphics then get their objects and their state again, and go on.
  if (GLContextRestores() != g_es2.restores) {
    const std::shared_ptr<TCanvasGraphics>& canvas = TCanvasGraphics::Current();
    if (!canvas) {
      ForgetLostObjects();
      return;
    }
    ResetContext(canvas);
    canvas->Validate();
  }
}

void TGLES2CanvasDriver::Cls() {
  GLES2Flush();
  CheckFrame();
  glClear(GL_COLOR_BUFFER_BIT);
}

void TGLES2CanvasDriver::SetClsColor(int red, int green, int blue) {
  GLClearColor(ColorByte(red) / 255.0f, ColorByte(green) / 255.0f, ColorByte(blue) / 255.0f, 1.0f);
}

void TGLES2CanvasDriver::SetViewport(int x, int y, int width, int height) {
  GLES2Flush();
  int* v = g_es2.viewport;
  v[0] = x, v[1] = y, v[2] = width, v[3] = height;
  GLApplyViewport(v, g_es2.frame_serial);
}

uint64_t TGLES2CanvasDriver::DrawCalls() const { return g_es2.draw_calls; }
