// Particles: the constructor draws the spin, Create the growth and the
// life, in that order, because the order of draws fixes what is shown.
#include "game/particle.h"

#include "game/game_loop.h"
#include "game/title.h"
#include "graphics/draw.h"
#include "system/random.h"

TParticle::TParticle() {
  turnspeed = static_cast<int32_t>(RandomFloat(-5, 5));
  friction = 0.99f;
}

void TParticle::Create(int32_t x, int32_t y, int32_t xs, int32_t ys, int32_t color, int32_t style,
                       int32_t big) {
  auto p = std::make_shared<TParticle>();
  p->x = static_cast<float>(x);
  p->y = static_cast<float>(y);
  p->xs = static_cast<float>(xs);
  p->ys = static_cast<float>(ys);
  p->color = color;
  p->style = style;
  p->scale = static_cast<float>(RandomFloat(0.99, 1.01));
  p->size = 1.0f;
  p->lifetime = static_cast<float>(RandomInt(10, 60));
  p->life = p->lifetime;
  p->big = 0;
  if (big == 1) {
    p->size = 9.0f;
    p->scale = 0.9f;
    p->lifetime = 20.0f;
    p->life = 20.0f;
    p->big = 1;
  }
  particleList->AddLast(p);
}

void TParticle::Update() {
  xs *= friction;
  ys *= friction;
  x += xs;
  y += ys;
  angle += turnspeed;
  life -= 1.0f;
  size *= scale;
  if (life < 1) particleList->Remove(shared_from_this());
}

void TParticle::Render() {
  if (color == 0 || color == 1) SetColor(255 - colorR, 255 - colorB, 255 - colorB);
  if (big == 1) SetColor(255, 255, 255);
  SetScale(size, size);
  SetRotation(static_cast<float>(angle));
  SetAlpha(life / lifetime);
  if (style == 0) {
    DrawImage(imgParticle, x, y, 0);
  } else if (style == 1) {
    DrawImage(imgParticle2, x, y, 0);
  }
}
