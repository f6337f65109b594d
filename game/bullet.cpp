// Bullets: straight flight, the hit test against enemies or the player,
// and their drawing. A bullet that hits may be asked to leave its list a
// second time in the same update; the second removal does nothing.
#include "game/bullet.h"

#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "graphics/draw.h"
#include "system/random.h"

void TBullet::Create(int32_t x, int32_t y, int32_t angle, int32_t owner) {
  auto b = std::make_shared<TBullet>();
  if (owner == 0) {
    b->speed = 14.5f;
    b->angle = static_cast<float>(angle);
    b->xs = static_cast<float>(CosDeg(b->angle) * b->speed);
    b->ys = static_cast<float>(SinDeg(b->angle) * b->speed);
    b->damage = 50;
  } else if (owner == 1) {
    b->speed = 4.0f;
    b->angle = static_cast<float>(angle + RandomFloat(-1, 1));
    b->xs = static_cast<float>(CosDeg(b->angle) * b->speed);
    b->ys = static_cast<float>(SinDeg(b->angle) * b->speed);
    b->damage = 100;
  }
  b->phase = static_cast<float>(RandomFloat(0, 1));
  b->x = static_cast<float>(x);
  b->y = static_cast<float>(y);
  b->owner = owner;
  b->border = 32;
  bulletList->AddLast(b);
}

void TBullet::Update() {
  x += xs;
  y += ys;
  CheckCollision();
  if (x < -border || x > 800 + border || y < -border || y > 600 + border) {
    bulletList->Remove(shared_from_this());
  }
}

void TBullet::CheckCollision() {
  bool spent = false;
  const int32_t bx = static_cast<int32_t>(x);
  const int32_t by = static_cast<int32_t>(y);
  if (owner == 0) {
    // The list's own walk takes and drops a reference per enemy; with every
    // bullet walking every enemy that doubles the cost of a busy frame, so
    // this walk follows the links itself. Nothing leaves enemyList meanwhile.
    const TLink* head = enemyList->_head.get();
    for (const TLink* link = head->_succ.get(); link != head; link = link->_succ.get()) {
      auto* enemy = dynamic_cast<Vihu*>(link->_value.get());
      if (!enemy || enemy->TimeHasCome != 0) continue;
      if (WithinDistance(bx, by, static_cast<int32_t>(enemy->x), static_cast<int32_t>(enemy->y),
                         enemy->size)) {
        enemy->health -= damage;
        enemy->hit = 1;
        for (int i = 0; i < 6; ++i) {
          const auto pxs = static_cast<int32_t>(RandomFloat(-2, 2));
          const auto pys = static_cast<int32_t>(RandomFloat(-2, 2));
          TParticle::Create(bx, by, pxs, pys, 0, 0, 0);
        }
        spent = true;
        break;
      }
    }
  } else if (owner == 1) {
    ForEach<TPlayer>(playerList, [&](const std::shared_ptr<TPlayer>& player) {
      if (spent) return;
      if (gameOver == 0 &&
          WithinDistance(bx, by, static_cast<int32_t>(player->x), static_cast<int32_t>(player->y),
                         player->size)) {
        const auto pxs = static_cast<int32_t>(RandomFloat(-2, 2));
        const auto pys = static_cast<int32_t>(RandomFloat(-2, 2));
        TParticle::Create(bx, by, pxs, pys, 0, 0, 0);
        player->health -= damage;
        spent = true;
        PlaySoundVolume(sndPlayerHit, 1.0f);
        flashRed = 1.0f;
      }
    });
  }
  if (spent) bulletList->Remove(shared_from_this());
}

void TBullet::Render() {
  const double s = 1 + PulseSquared() * 0.3;
  if (owner == 0) {
    SetColor(255, 255, 255);
    SetScale(1, 1);
    SetAlpha(1.0f);
    SetRotation(angle);
    DrawImage(imgBullet, x, y, 0);
  } else if (owner == 1) {
    SetColor(static_cast<int32_t>(255 - colorR * (1 - pulse)),
             static_cast<int32_t>(255 - colorB * pulse),
             static_cast<int32_t>(255 - colorB * pulse));
    SetScale(static_cast<float>(s + flashRed), static_cast<float>(s + flashRed));
    SetAlpha(1.0f);
    SetRotation(static_cast<float>(
        AngleTo(0, 0, static_cast<int32_t>(xs), static_cast<int32_t>(ys))));
    DrawImage(imgVihuAmmus, x, y, 0);
  }
}
