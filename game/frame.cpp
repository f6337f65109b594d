// The screen-frame zoom. A frame re-seeds the shared generator with its
// own seed every time it draws, so its layout is the same in every frame
// of its life, then re-seeds from the game clock. The draws below happen
// in exactly the order the layout depends on, y before x.
#include "game/frame.h"

#include "game/entity.h"
#include "game/game_loop.h"
#include "game/title.h"
#include "graphics/draw.h"
#include "graphics/canvas.h"
#include "system/random.h"

#include <cmath>

std::shared_ptr<TList> frameList;
int32_t frameGrowing = 0;
float frameZoomSpeed = 0;

std::shared_ptr<TFrame> TFrame::Create() {
  auto f = std::make_shared<TFrame>();
  f->size = 0.0f;
  f->zoomspeed = 0.01f;
  f->getbig = 0;
  f->life = 1200;
  f->countdown = 1200.0f;
  f->fadespeed = 2.0f;
  SeedRandom(gameTime);
  f->state = 0;
  f->seed = RandomInt(0, 32100);
  SetClsColor(static_cast<int32_t>(colorR * 0.5f), static_cast<int32_t>(colorG * 0.5f),
              static_cast<int32_t>(colorB * 0.5f));
  return f;
}

int32_t TFrame::Update(float speed) {
  zoomspeed = speed;
  life -= 1;
  if (size > 1.0f) {
    if (state == 0) frameGrowing = 1;
    state = 1;
    if (frameGrowing == 0) size += zoomspeed;
  } else {
    size += zoomspeed;
    frameGrowing = 0;
  }
  if (state == 2 && frameGrowing == 0) size += 5 * zoomspeed;
  return 0;
}

int32_t TFrame::Render(int32_t, int32_t) {
  SeedRandom(seed);
  const double pulse2 = PulseSquared();
  if (life < 50) {
    SetAlpha(life / 50.0f);
  } else {
    SetAlpha(1);
  }
  SetRotation(static_cast<float>(10 * SinDeg(gameTime / 16) + pulse2));
  SetScale(size, size);
  const auto dark = static_cast<float>(-32 * pulse2);
  int32_t count = RandomInt(0, 15);
  for (int32_t i = 0; i <= count; ++i) {
    const double fr = RandomFloat(0.7, 1);
    const double fg = RandomFloat(0.6, 1);
    const double fb = RandomFloat(0.6, 1);
    SetColor(static_cast<int32_t>(colorR * fr + dark), static_cast<int32_t>(colorG * fg + dark),
             static_cast<int32_t>(colorB * fb + dark));
    const float ax = RandomInt(-400, 800) - 5 * pulse + 10 * flashRed;
    const float ay = RandomInt(-300, 600) - 5 * pulse - 10 * flashRed;
    const float w = RandomInt(100, 800) + 5 * pulse;
    const float h = RandomInt(100, 600) + 5 * pulse;
    DrawRect(400 + size * (ax - 400), 300 + size * (ay - 300), w, h);
  }
  if (RandomInt(0, 2) == 0) {
    SetAlpha(static_cast<float>(std::fabs(SinDeg(RandomFloat(0, 90) + gameTime / 22.0)) *
                                pulse * 0.2));
    SetScale(static_cast<float>(1 + 0.5 * CosDeg(gameTime / 85)),
             static_cast<float>(1 + 0.5 * SinDeg(gameTime / 96)));
    SetRotation(static_cast<float>(gameTime / 180.0 + RandomFloat(-500, 800)));
    SetColor(255, 255, 255);
    const double ey = 300 + 200 * SinDeg(gameTime / 169.0);
    const double ex = 400 + 300 * CosDeg(RandomFloat(0, 100) + gameTime / 180.0);
    DrawImage(imgEye, static_cast<float>(ex), static_cast<float>(ey), 0);
    SetAlpha(1);
  }
  count = RandomInt(0, 3);
  for (int32_t i = 1; i <= count; ++i) {
    SetAlpha(static_cast<float>(
        std::fabs(SinDeg(RandomFloat(0, 90) + (gameTime / 42) + 100 * i)) * 0.2));
    const auto s =
        static_cast<float>(1 + 0.5 * CosDeg(gameTime / 85) + 0.01 * static_cast<double>(pulse));
    SetScale(s, s);
    SetRotation(static_cast<float>(20 * i + RandomInt(0, 900) + gameTime / 74.0));
    SetColor(255, 255, 255);
    const double my = 300 + 220 * SinDeg(RandomInt(0, 9000) + gameTime / 220.0 + 45 * i);
    const double mx = 400 + 500 * CosDeg(RandomInt(0, 9000) + gameTime / 280.0 + 90 * i);
    DrawImage(imgMushroom, static_cast<float>(mx), static_cast<float>(my), 0);
    SetAlpha(1);
  }
  SeedRandom(gameTime);
  return 0;
}

void PushFrame() {
  ForEach<TFrame>(frameList, [](const std::shared_ptr<TFrame>& frame) { frame->state = 2; });
  frameList->AddLast(TFrame::Create());
}

void UpdateFrames() {
  ForEach<TFrame>(frameList, [](const std::shared_ptr<TFrame>& frame) {
    if (frame->life > 0) {
      frame->Update(frameZoomSpeed);
    } else {
      frameList->Remove(frame);
    }
  });
}

void RenderFrames() {
  ForEach<TFrame>(frameList, [](const std::shared_ptr<TFrame>& frame) { frame->Render(0, 0); });
}
