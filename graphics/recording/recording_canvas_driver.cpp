// The recording 2D driver: every call becomes a TRecordedCall stamped with
// the state the driver was last sent and the current context's transform,
// handle, origin and font.
#include "graphics/recording/recording_canvas_driver.h"

#include "graphics/image.h"
#include "graphics/pixmap.h"

namespace {
const char* const kOps[] = {"Cls",  "Flip",   "Plot", "Line",  "Rect", "Oval",
                            "Poly", "Pixmap", "Grab", "Image", "Text"};
enum Op { kCls, kFlip, kPlot, kLine, kRect, kOval, kPoly, kPixmap, kGrab, kImage, kText };
static_assert(sizeof kOps / sizeof kOps[0] == kText + 1);

// A texture frame that only remembers its pixmap.
class TRecordingImageFrame : public TImageFrame {
 public:
  TRecordingImageFrame(std::weak_ptr<TRecordingCanvasDriver> driver, std::shared_ptr<TPixmap> pixmap,
                       int flags)
      : driver_(std::move(driver)), pixmap_(std::move(pixmap)), flags_(flags) {}

  void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override {
    if (auto driver = driver_.lock()) driver->RecordImage(pixmap_, flags_, x0, y0, x1, y1, tx, ty);
  }

 private:
  std::weak_ptr<TRecordingCanvasDriver> driver_;
  std::shared_ptr<TPixmap> pixmap_;
  int flags_;
};
}  // namespace

void TRecordingGraphics::GetSettings(int& w, int& h, int& d, int& hz, int& f) {
  w = width;
  h = height;
  d = depth;
  hz = hertz;
  f = flags;
}

std::vector<std::shared_ptr<TGraphicsMode>> TRecordingCanvasDriver::GraphicsModes() {
  auto mode = std::make_shared<TGraphicsMode>();
  mode->width = 800;
  mode->height = 600;
  mode->depth = 32;
  mode->hertz = 60;
  return {mode};
}

std::shared_ptr<TGraphics> TRecordingCanvasDriver::AttachGraphics(void*, int) { return nullptr; }

std::shared_ptr<TGraphics> TRecordingCanvasDriver::CreateGraphics(int width, int height, int depth,
                                                                  int hertz, int flags) {
  if (width <= 0 || height <= 0) return nullptr;
  auto g = std::make_shared<TRecordingGraphics>();
  g->driver = weak_from_this();
  g->width = width;
  g->height = height;
  g->depth = depth;
  g->hertz = hertz;
  g->flags = flags;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

void TRecordingCanvasDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
  if (!g) {
    TCanvasGraphics::ClearCurrent();
    return;
  }
  if (auto canvas = std::dynamic_pointer_cast<TCanvasGraphics>(g)) canvas->MakeCurrent();
}

TRecordedCall& TRecordingCanvasDriver::Record(int op) {
  ++counts_[op];
  if (!keep_calls) {
    // Written to and thrown away: counting alone must stay cheap.
    static TRecordedCall scratch;
    return scratch;
  }
  TRecordedCall& call = calls.emplace_back(state);
  call.op = kOps[op];
  if (const auto& c = TCanvasGraphics::Current()) {
    call.rotation = c->tform_rot;
    call.scale_x = c->tform_scale_x;
    call.scale_y = c->tform_scale_y;
    call.handle_x = -c->handle_x;
    call.handle_y = -c->handle_y;
    call.origin_x = c->origin_x;
    call.origin_y = c->origin_y;
    call.font = c->image_font;
  }
  return call;
}

void TRecordingCanvasDriver::Flip(int sync) {
  ++flips;
  Record(kFlip).sync = sync;
}

std::shared_ptr<TImageFrame> TRecordingCanvasDriver::CreateFrameFromPixmap(
    const std::shared_ptr<TPixmap>& pixmap, int flags) {
  if (!pixmap) return nullptr;
  ++frames_made;
  auto self = std::static_pointer_cast<TRecordingCanvasDriver>(shared_from_this());
  return std::make_shared<TRecordingImageFrame>(self, pixmap, flags);
}

void TRecordingCanvasDriver::SetBlend(int mode) { state.blend = mode; }
void TRecordingCanvasDriver::SetAlpha(float alpha) { state.alpha = alpha; }

void TRecordingCanvasDriver::SetColor(int red, int green, int blue) {
  state.red = red;
  state.green = green;
  state.blue = blue;
}

void TRecordingCanvasDriver::SetClsColor(int red, int green, int blue) {
  state.cls_red = red;
  state.cls_green = green;
  state.cls_blue = blue;
}

void TRecordingCanvasDriver::SetViewport(int x, int y, int width, int height) {
  state.viewport_x = x;
  state.viewport_y = y;
  state.viewport_w = width;
  state.viewport_h = height;
}

void TRecordingCanvasDriver::SetTransform(float ix, float iy, float jx, float jy) {
  state.ix = ix;
  state.iy = iy;
  state.jx = jx;
  state.jy = jy;
}

void TRecordingCanvasDriver::SetLineWidth(float width) { state.line_width = width; }

void TRecordingCanvasDriver::Cls() { Record(kCls); }

void TRecordingCanvasDriver::Plot(float x, float y) {
  TRecordedCall& call = Record(kPlot);
  call.tx = x;
  call.ty = y;
}

namespace {
void Shape(TRecordedCall& call, float x0, float y0, float x1, float y1, float tx, float ty) {
  call.x0 = x0;
  call.y0 = y0;
  call.x1 = x1;
  call.y1 = y1;
  call.tx = tx;
  call.ty = ty;
}
}  // namespace

void TRecordingCanvasDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  Shape(Record(kLine), x0, y0, x1, y1, tx, ty);
}

void TRecordingCanvasDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  Shape(Record(kRect), x0, y0, x1, y1, tx, ty);
}

void TRecordingCanvasDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  Shape(Record(kOval), x0, y0, x1, y1, tx, ty);
}

void TRecordingCanvasDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                                      float origin_x, float origin_y) {
  TRecordedCall& call = Record(kPoly);
  call.xy = xy;
  Shape(call, handle_x, handle_y, handle_x, handle_y, origin_x, origin_y);
}

void TRecordingCanvasDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
  TRecordedCall& call = Record(kPixmap);
  call.pixmap = pixmap;
  call.tx = static_cast<float>(x);
  call.ty = static_cast<float>(y);
}

std::shared_ptr<TPixmap> TRecordingCanvasDriver::GrabPixmap(int x, int y, int width, int height) {
  TRecordedCall& call = Record(kGrab);
  Shape(call, static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
        static_cast<float>(y + height), 0, 0);
  if (width <= 0 || height <= 0) return nullptr;
  // Nothing was drawn, so the back buffer holds the clear colour.
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  if (pixmap) {
    pixmap->ClearPixels(0xff000000u | (uint32_t(state.cls_red & 255) << 16) |
                        (uint32_t(state.cls_green & 255) << 8) | uint32_t(state.cls_blue & 255));
  }
  return pixmap;
}

void TRecordingCanvasDriver::NoteText(const std::string& text, float x, float y) {
  TRecordedCall& call = Record(kText);
  call.text = text;
  call.tx = x;
  call.ty = y;
}

void TRecordingCanvasDriver::RecordImage(const std::shared_ptr<TPixmap>& pixmap, int frame_flags,
                                         float x0, float y0, float x1, float y1, float tx, float ty) {
  TRecordedCall& call = Record(kImage);
  call.pixmap = pixmap;
  call.frame_flags = frame_flags;
  Shape(call, x0, y0, x1, y1, tx, ty);
}

void TRecordingCanvasDriver::Clear() {
  calls.clear();
  for (int64_t& n : counts_) n = 0;
}

std::vector<TRecordedCall> TRecordingCanvasDriver::Calls(const std::string& op) const {
  std::vector<TRecordedCall> out;
  for (const TRecordedCall& call : calls) {
    if (call.op == op) out.push_back(call);
  }
  return out;
}

int64_t TRecordingCanvasDriver::Count(const std::string& op) const {
  for (int i = 0; i <= kText; ++i) {
    if (op == kOps[i]) return counts_[i];
  }
  return 0;
}
