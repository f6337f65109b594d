// The player. Death is processed once, in the first update after the
// fatal hit, guarded by alive; a dead player still moves and aims.
#include "game/player.h"

#include "audio/audio.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/replay.h"
#include "game/title.h"
#include "graphics/draw.h"
#include "system/input.h"
#include "system/random.h"

TPlayer::TPlayer() {
  x = 400;
  y = 300;
  angle = 0;
  speed = 6.0f;
  size = 20;
  health = 300;
  reload = 0;
  reloadtime = 6;
  alive = 1;
  shootangle = 0;
}

std::shared_ptr<TPlayer> TPlayer::New() {
  auto player = std::make_shared<TPlayer>();
  playerList->AddLast(player);
  return player;
}

void TPlayer::Update() {
  reload -= 1;
  UpdateKeys();
  if (health < 1) Explode();
  ::health = health;
  playerX = static_cast<int32_t>(x);
  playerY = static_cast<int32_t>(y);
  if (health < 1 && alive == 1) {
    gameOver = 1;
    alive = 0;
    flashWhite = 1.0f;
    const auto ix = static_cast<int32_t>(x);
    const auto iy = static_cast<int32_t>(y);
    for (int i = 0; i <= 100; ++i) {
      const auto pxs = static_cast<int32_t>(RandomFloat(-6, 6));
      const auto pys = static_cast<int32_t>(RandomFloat(-6, 6));
      const auto color = RandomInt(0, 1);
      TParticle::Create(ix, iy, pxs, pys, color, 0, 0);
    }
    PlaySound(sndBoom1, nullptr);
  }
}

void TPlayer::Explode() {}

void TPlayer::UpdateKeys() {
  // The mouse pointer, or a gamepad's aim point while the pad aimed last.
  const TAimPoint aim = GameAimPoint(x, y);
  const float dy = y - aim.y;
  const float dx = x - aim.x;
  shootangle = static_cast<int32_t>(ATan2Deg(dy, dx) + 180);
  if (GameKeyDown(65)) x -= speed;
  if (GameKeyDown(68)) x += speed;
  if (GameKeyDown(87)) y -= speed;
  if (GameKeyDown(83)) y += speed;
  if (x < 0) x = 800;
  if (x > 800) x = 0;
  if (y < 0) y = 600;
  if (y > 600) y = 0;
  if (GameMouseDown(1) && reload < 1 && alive == 1) {
    const auto bx = static_cast<int32_t>(x + CosDeg(shootangle) * size);
    const auto by = static_cast<int32_t>(y + SinDeg(shootangle) * size);
    FireBullet(bx, by, shootangle, 0);
    reload = reloadtime;
    PlaySoundVolume(sndPlayerShoot, 1.0f);
  }
}

void TPlayer::Render() {
  const auto s = static_cast<float>(1 + PulseSquared() * 0.1);
  SetScale(s, s);
  SetColor(255 - colorR, static_cast<int32_t>(255 - colorB * 0.5), colorB);
  SetRotation(angle);
  if (alive == 1) {
    SetAlpha(0.5f);
    DrawImage(imgShadow, x, y - 10, 0);
    SetAlpha(1.0f);
    const int32_t k = (gameTime / 256) % 2;
    if (k == 0) DrawImage(imgPlayer1, x, y - 10, 0);
    if (k == 1) DrawImage(imgPlayer2, x, y - 10, 0);
    SetRotation(static_cast<float>(shootangle));
    DrawImage(imgWeapon, static_cast<float>(x + CosDeg(shootangle) * 15),
              static_cast<float>(y + SinDeg(shootangle) * 15), 0);
  }
}
