// The draw-state free functions: store the state in the current
// TCanvasGraphics exactly as given, forward it to the current 2D driver, and
// work out where shapes, images and text land from the handle, origin and
// the rotation/scale matrix.
#include "graphics/draw.h"

#include "graphics/canvas.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap.h"
#include "system/random.h"

namespace {

TCanvasGraphics* Context() { return TCanvasGraphics::Current().get(); }
TCanvasDriver* Driver() { return TCanvasDriver::Current().get(); }

// Where text drawn at (x, y) starts: the handle goes through the matrix, so
// the whole line turns and scales about the given point.
void TextStart(const TCanvasGraphics& c, float x, float y, float& sx, float& sy) {
  const float hx = c.handle_x, hy = c.handle_y;
  sx = x + c.origin_x + hx * c.tform_ix + hy * c.tform_iy;
  sy = y + c.origin_y + hx * c.tform_jx + hy * c.tform_jy;
}

}  // namespace

void SetColor(int red, int green, int blue) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->color_red = red, c->color_green = green, c->color_blue = blue;
  if (TCanvasDriver* d = Driver()) d->SetColor(red, green, blue);
}

void GetColor(int& red, int& green, int& blue) {
  const TCanvasGraphics* c = Context();
  red = c ? c->color_red : 0;
  green = c ? c->color_green : 0;
  blue = c ? c->color_blue : 0;
}

void SetAlpha(float alpha) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->color_alpha = alpha;
  if (TCanvasDriver* d = Driver()) d->SetAlpha(alpha);
}

float GetAlpha() { return Context() ? Context()->color_alpha : 0.0f; }

void SetBlend(int mode) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->blend_mode = mode;
  if (TCanvasDriver* d = Driver()) d->SetBlend(mode);
}

int GetBlend() { return Context() ? Context()->blend_mode : 0; }

void SetLineWidth(float width) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->line_width = width;
  if (TCanvasDriver* d = Driver()) d->SetLineWidth(width);
}

float GetLineWidth() { return Context() ? Context()->line_width : 0.0f; }

void SetViewport(int x, int y, int width, int height) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->viewport_x = x, c->viewport_y = y, c->viewport_w = width, c->viewport_h = height;
  if (TCanvasDriver* d = Driver()) d->SetViewport(x, y, width, height);
}

void GetViewport(int& x, int& y, int& width, int& height) {
  const TCanvasGraphics* c = Context();
  x = c ? c->viewport_x : 0;
  y = c ? c->viewport_y : 0;
  width = c ? c->viewport_w : 0;
  height = c ? c->viewport_h : 0;
}

void SetOrigin(float x, float y) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->origin_x = x, c->origin_y = y;
}

void GetOrigin(float& x, float& y) {
  const TCanvasGraphics* c = Context();
  x = c ? c->origin_x : 0.0f;
  y = c ? c->origin_y : 0.0f;
}

void SetHandle(float x, float y) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->handle_x = -x, c->handle_y = -y;
}

void GetHandle(float& x, float& y) {
  const TCanvasGraphics* c = Context();
  x = c ? -c->handle_x : 0.0f;
  y = c ? -c->handle_y : 0.0f;
}

void SetRotation(float degrees) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->tform_rot = degrees;
  UpdateTransform();
}

float GetRotation() { return Context() ? Context()->tform_rot : 0.0f; }

void SetScale(float scale_x, float scale_y) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->tform_scale_x = scale_x, c->tform_scale_y = scale_y;
  UpdateTransform();
}

void GetScale(float& scale_x, float& scale_y) {
  const TCanvasGraphics* c = Context();
  scale_x = c ? c->tform_scale_x : 0.0f;
  scale_y = c ? c->tform_scale_y : 0.0f;
}

void SetTransform(float degrees, float scale_x, float scale_y) {
  TCanvasGraphics* c = Context();
  if (!c) return;
  c->tform_rot = degrees;
  c->tform_scale_x = scale_x, c->tform_scale_y = scale_y;
  UpdateTransform();
}

void UpdateTransform() {
  TCanvasGraphics* c = Context();
  if (!c) return;
  // Single-precision sine and cosine, like the fields they feed.
  const float sine = float(SinDeg(c->tform_rot));
  const float cosine = float(CosDeg(c->tform_rot));
  c->tform_ix = cosine * c->tform_scale_x;
  c->tform_iy = -sine * c->tform_scale_y;
  c->tform_jx = sine * c->tform_scale_x;
  c->tform_jy = cosine * c->tform_scale_y;
  if (TCanvasDriver* d = Driver()) d->SetTransform(c->tform_ix, c->tform_iy, c->tform_jx, c->tform_jy);
}

void Plot(float x, float y) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  TCanvasDriver* d = Driver();
  if (!c || !d) return;
  d->Plot(x + c->origin_x, y + c->origin_y);
}

void DrawLine(float x0, float y0, float x1, float y1, int draw_last_pixel) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  TCanvasDriver* d = Driver();
  if (!c || !d) return;
  const float hx = c->handle_x, hy = c->handle_y;
  d->DrawLine(hx, hy, hx + x1 - x0, hy + y1 - y0, x0 + c->origin_x, y0 + c->origin_y);
  if (draw_last_pixel) {
    const float px = hx + x1 - x0, py = hy + y1 - y0;
    d->Plot(px * c->tform_ix + py * c->tform_iy + x0 + c->origin_x,
            px * c->tform_jx + py * c->tform_jy + y0 + c->origin_y);
  }
}

void DrawRect(float x, float y, float width, float height) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  TCanvasDriver* d = Driver();
  if (!c || !d) return;
  d->DrawRect(c->handle_x, c->handle_y, c->handle_x + width, c->handle_y + height,
              x + c->origin_x, y + c->origin_y);
}

void DrawOval(float x, float y, float width, float height) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  TCanvasDriver* d = Driver();
  if (!c || !d) return;
  d->DrawOval(c->handle_x, c->handle_y, c->handle_x + width, c->handle_y + height,
              x + c->origin_x, y + c->origin_y);
}

void DrawPoly(const std::vector<float>& xy) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  TCanvasDriver* d = Driver();
  if (!c || !d) return;
  d->DrawPoly(xy, c->handle_x, c->handle_y, c->origin_x, c->origin_y);
}

void DrawImage(const std::shared_ptr<TImage>& image, float x, float y, int frame) {
  if (!image) return;
  DrawImageRect(image, x, y, float(image->width), float(image->height), frame);
}

void DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float width,
                   float height, int frame) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  if (!image || !c) return;
  const float x0 = -image->handle_x, y0 = -image->handle_y;
  std::shared_ptr<TImageFrame> f = image->Frame(frame);
  if (!f) return;
  f->Draw(x0, y0, x0 + width, y0 + height, x + c->origin_x, y + c->origin_y);
}

void DrawText(const std::u16string& text, float x, float y) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  if (!c) return;
  float sx = 0.0f, sy = 0.0f;
  TextStart(*c, x, y, sx, sy);
  std::shared_ptr<TImageFont> font = c->image_font ? c->image_font : TImageFont::Default();
  font->Draw(text, sx, sy, c->tform_ix, c->tform_iy, c->tform_jx, c->tform_jy);
}

void DrawText(const std::string& text, float x, float y) {
  if (DrawingSkipped()) return;
  TCanvasGraphics* c = Context();
  if (!c) return;
  if (TCanvasDriver* d = Driver()) {
    float sx = 0.0f, sy = 0.0f;
    TextStart(*c, x, y, sx, sy);
    d->NoteText(text, sx, sy);
  }
  DrawText(TextToUTF16(text), x, y);
}

void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
  if (DrawingSkipped()) return;
  if (TCanvasDriver* d = Driver()) d->DrawPixmap(pixmap, x, y);
}

std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) {
  TCanvasDriver* d = Driver();
  return d ? d->GrabPixmap(x, y, width, height) : nullptr;
}

std::u16string TextToUTF16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const uint8_t b = uint8_t(text[i]);
    int len = 0;
    uint32_t cp = 0;
    if (b < 0x80) {
      len = 1, cp = b;
    } else if ((b & 0xe0) == 0xc0) {
      len = 2, cp = b & 0x1fu;
    } else if ((b & 0xf0) == 0xe0) {
      len = 3, cp = b & 0x0fu;
    } else if ((b & 0xf8) == 0xf0) {
      len = 4, cp = b & 0x07u;
    }
    bool ok = len > 0 && i + size_t(len) <= n;
    for (int k = 1; ok && k < len; ++k) {
      const uint8_t cb = uint8_t(text[i + size_t(k)]);
      if ((cb & 0xc0) != 0x80) ok = false;
      cp = (cp << 6) | (cb & 0x3fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kMin[len] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))) ok = false;
    if (!ok) {
      out.push_back(char16_t(b));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xd800 + (cp >> 10)));
      out.push_back(char16_t(0xdc00 + (cp & 0x3ff)));
    } else {
      out.push_back(char16_t(cp));
    }
    i += size_t(len);
  }
  return out;
}
