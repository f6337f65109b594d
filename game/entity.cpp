// The world lists and the routines that walk them once per frame, in the
// order the game loop calls them; plus the helpers the classes share.
#include "game/entity.h"

#include "audio/audio.h"
#include "game/bullet.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/vihu.h"
#include "system/random.h"

#include <cmath>

std::shared_ptr<TList> enemyList;
std::shared_ptr<TList> playerList;
std::shared_ptr<TList> bulletList;
std::shared_ptr<TList> particleList;

void SpawnEnemy() { Vihu::New(); }

void FireBullet(int32_t x, int32_t y, int32_t angle, int32_t owner) {
  TBullet::Create(x, y, angle, owner);
}

void UpdateEnemies() {
  ForEach<Vihu>(enemyList, [](const std::shared_ptr<Vihu>& enemy) {
    if (enemy->movingaway >= 1.5f) {
      enemyList->Remove(enemy);
    } else {
      enemy->Update();
    }
  });
}

void RenderEnemies() {
  ForEach<Vihu>(enemyList, [](const std::shared_ptr<Vihu>& enemy) { enemy->Render(); });
}

void EnemiesMoveAway() {
  ForEach<Vihu>(enemyList, [](const std::shared_ptr<Vihu>& enemy) { enemy->MoveAway(); });
}

void UpdatePlayers() {
  ForEach<TPlayer>(playerList, [](const std::shared_ptr<TPlayer>& player) { player->Update(); });
}

void RenderPlayers() {
  ForEach<TPlayer>(playerList, [](const std::shared_ptr<TPlayer>& player) { player->Render(); });
}

void UpdateBullets() {
  ForEach<TBullet>(bulletList, [](const std::shared_ptr<TBullet>& bullet) { bullet->Update(); });
}

void RenderBullets() {
  ForEach<TBullet>(bulletList, [](const std::shared_ptr<TBullet>& bullet) { bullet->Render(); });
}

void ClearBullets() {
  ForEach<TBullet>(bulletList,
                   [](const std::shared_ptr<TBullet>& bullet) { bulletList->Remove(bullet); });
}

void UpdateParticles() {
  ForEach<TParticle>(particleList,
                     [](const std::shared_ptr<TParticle>& particle) { particle->Update(); });
}

void RenderParticles() {
  ForEach<TParticle>(particleList,
                     [](const std::shared_ptr<TParticle>& particle) { particle->Render(); });
}

namespace {

// The squared distance; squares and sum wrap as 32-bit values instead of
// overflowing.
int32_t SquaredDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const uint32_t dx = static_cast<uint32_t>(x2) - static_cast<uint32_t>(x1);
  const uint32_t dy = static_cast<uint32_t>(y2) - static_cast<uint32_t>(y1);
  return static_cast<int32_t>(dx * dx + dy * dy);
}

}  // namespace

int32_t Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const int32_t sum = SquaredDistance(x1, y1, x2, y2);
  // A sum that wrapped negative has no root; call it no distance at all
  // rather than convert a NaN.
  if (sum < 0) return 0;
  return static_cast<int32_t>(Sqrt(static_cast<double>(sum)));
}

bool WithinDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius) {
  const int32_t sum = SquaredDistance(x1, y1, x2, y2);
  if (sum < 0) return 0 < radius;  // as Distance: no distance at all
  if (radius <= 0) return false;
  return static_cast<int64_t>(sum) < static_cast<int64_t>(radius) * radius;
}

int32_t AngleTo(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const double dy = static_cast<double>(static_cast<int64_t>(y1) - y2);
  const double dx = static_cast<double>(static_cast<int64_t>(x1) - x2);
  return static_cast<int32_t>(ATan2Deg(dy, dx) + 180);
}

double Lerp(double t, double a, double b) { return a + t * (b - a); }

void PlaySoundVolume(const std::shared_ptr<TSound>& sound, float volume) {
  auto channel = AllocChannel();
  SetChannelVolume(channel, volume);
  PlaySound(sound, channel);
}
