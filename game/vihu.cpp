// Enemies. The constructor reseeds the shared generator with the running
// sum of mouse x positions between choosing the spawn point and choosing
// the heading, so every enemy of a wave after the first shares its swing
// and spawn point until its first update draws its own heading.
#include "game/vihu.h"

#include "game/bullet.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/title.h"
#include "graphics/draw.h"
#include "system/random.h"

#include <algorithm>

Vihu::Vihu() {
  const double a = RandomFloat(0, 360);
  x = static_cast<float>(400 + CosDeg(a) * 420);
  y = static_cast<float>(300 + SinDeg(a) * 300);
  reloadtime = 50;
  reload = 15;
  speed = 1.0f;
  movefreq = 50;
  health = 100;
  SeedRandom(mouseXSum);
  angle = static_cast<float>(RandomFloat(0, 360));
  movecounter = 0;
  swingspeed = static_cast<float>(RandomFloat(2, 3));
  creation = (gameTime % 500) * 9;
  border = 32;
  size = 37;
  warmup = 1.0f;
  startup = 30;
}

std::shared_ptr<Vihu> Vihu::New() {
  auto enemy = std::make_shared<Vihu>();
  enemyList->AddLast(enemy);
  return enemy;
}

void Vihu::Update() {
  hit = 0;
  movecounter -= 1;
  if (movecounter < 1 && TimeHasCome == 0) {
    angle = static_cast<float>(RandomFloat(0, 360));
    speed = static_cast<float>(RandomFloat(1, 3));
    movecounter = RandomInt(20, movefreq);
  }
  x = static_cast<float>(x + CosDeg(angle) * speed);
  y = static_cast<float>(y + SinDeg(angle) * speed);
  warmup -= 0.09f;
  reload -= 1;
  startup -= 1;
  if (graceTimer < 1 && gameOver == 0 && startup < 1 && reload < 1 && warmup < 0) {
    enemyShotSound = 1;
    reload = reloadtime;
    const auto ix = static_cast<int32_t>(x);
    const auto iy = static_cast<int32_t>(y);
    if (RandomInt(0, 1) == 0) {
      FireBullet(ix, iy, AngleTo(ix, iy, playerX, playerY), 1);
    } else {
      FireBullet(ix, iy, RandomInt(1, 360), 1);
    }
  }
  if (TimeHasCome == 1) {
    speed *= 1.1f;
    movingaway += 0.15f;
  } else {
    if (x < -border) x = static_cast<float>(800 + border);
    if (y < -border) y = static_cast<float>(600 + border);
    if (x > 800 + border) x = static_cast<float>(-border);
    if (y > 600 + border) y = static_cast<float>(-border);
  }
  if (health < 1) {
    Explode();
    kills += 1;
    enemyList->Remove(shared_from_this());
  }
}

void Vihu::Explode() {
  if (explodeNote == 0) {
    PlaySoundVolume(sndD, 0.5f);
  } else if (explodeNote == 1) {
    PlaySoundVolume(sndA, 0.5f);
  } else if (explodeNote == 2) {
    PlaySoundVolume(sndG, 0.5f);
  }
  explodeNote += 1;
  if (explodeNote > 2) explodeNote = 0;
  const auto ix = static_cast<int32_t>(x);
  const auto iy = static_cast<int32_t>(y);
  TParticle::Create(ix, iy, 0, 0, 0, 0, 1);
  for (int i = 0; i <= 30; ++i) {
    const auto pxs = static_cast<int32_t>(RandomFloat(-5, 5));
    const auto pys = static_cast<int32_t>(RandomFloat(-5, 5));
    const auto style = RandomInt(0, 1);
    TParticle::Create(ix, iy, pxs, pys, 1, style, 0);
  }
}

void Vihu::Render() {
  if (hit == 0) {
    SetColor(255 - colorR, 255 - colorB, 255 - colorB);
  } else {
    SetColor(255, 0, 0);
  }
  const float f = std::min(1.0f, 1 - warmup);
  if (TimeHasCome != 0) {
    SetScale(1 + movingaway, 1 + movingaway);
    SetAlpha(1 - movingaway * 0.4f);
  } else {
    const double k = (0.9 + PulseSquared() * 0.2 + flashRed) * f;
    SetScale(static_cast<float>(k), static_cast<float>(k));
  }
  SetRotation(static_cast<float>(SinDeg(gameTime / swingspeed + creation) * 10));
  const int32_t k = ((gameTime + creation) / 256) % 2;
  const auto& img = k == 0 ? imgVihu1 : imgVihu2;
  if (k == 0 || k == 1) {
    DrawImage(img, static_cast<float>(Lerp(f, 400, x)), static_cast<float>(Lerp(f, 300, y)), 0);
  }
  SetRotation(0);
}

void Vihu::MoveAway() {
  TimeHasCome = 1;
  angle = static_cast<float>(ATan2Deg(y - 300, x - 400));
  speed = 10.0f;
}
