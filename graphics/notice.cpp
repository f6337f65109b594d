// A short notice over the frame, drawn as the frame is presented, whatever
// the game drew and however it left the draw state.
#include <cstdint>

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/graphics.h"
#include "graphics/image_font.h"
#include "system/clock.h"
#include "system/hook.h"

namespace {

std::string g_notice;
int32_t g_until = 0;

std::shared_ptr<TObject> DrawNotice(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  if (g_notice.empty()) return data;
  if (MillisecsBetween(Millisecs(), g_until) <= 0) {
    g_notice.clear();
    return data;
  }
  int red, green, blue;
  GetColor(red, green, blue);
  const float alpha = GetAlpha(), rotation = GetRotation();
  const int blend = GetBlend();
  float scale_x, scale_y, origin_x, origin_y, handle_x, handle_y;
  GetScale(scale_x, scale_y);
  GetOrigin(origin_x, origin_y);
  GetHandle(handle_x, handle_y);
  const auto font = GetImageFont();

  SetBlend(BLEND_ALPHA);
  SetTransform(0, 1, 1);
  SetOrigin(0, 0);
  SetHandle(0, 0);
  SetImageFont(nullptr);
  const auto height = static_cast<float>(GraphicsHeight());
  SetAlpha(0.75f);
  SetColor(0, 0, 0);
  DrawRect(0, height - 24, static_cast<float>(GraphicsWidth()), 24);
  SetAlpha(1);
  SetColor(255, 255, 255);
  // A line too long for the frame keeps what it says first ("replay saved:")
  // and the end of what follows (a path's folder and file name).
  const size_t said = g_notice.find(": ") == std::string::npos ? 0 : g_notice.find(": ") + 2;
  std::string shown = g_notice;
  for (size_t cut = said; cut < g_notice.size() && TextWidth(shown) > GraphicsWidth() - 16; ++cut)
    shown = g_notice.substr(0, said) + "..." + g_notice.substr(cut + 1);
  DrawText(shown, 8, height - 19);

  SetImageFont(font);
  SetHandle(handle_x, handle_y);
  SetOrigin(origin_x, origin_y);
  SetTransform(rotation, scale_x, scale_y);
  SetBlend(blend);
  SetColor(red, green, blue);
  SetAlpha(alpha);
  return data;
}

}  // namespace

void ShowNotice(const std::string& text, int32_t ms) {
  static const bool hooked = (AddHook(FlipHook, DrawNotice, nullptr, 0), true);
  (void)hooked;
  g_notice = text;
  g_until = MillisecsAfter(Millisecs(), ms);
}
