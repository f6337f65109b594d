// The base of everything that moves in a game, the five world lists, the
// routines that walk them once per frame, and small helpers the game
// classes share. Leans on the object list, the random generator and audio.
#pragma once
#include <cstdint>
#include <memory>

#include "system/list.h"

class TSound;

class Entity : public TObject, public std::enable_shared_from_this<Entity> {
 public:
  float x = 0;
  float y = 0;
  float xs = 0;
  float ys = 0;
  float angle = 0;  // hidden by each subclass's own angle
  virtual ~Entity() = default;
};

extern std::shared_ptr<TList> enemyList;
extern std::shared_ptr<TList> playerList;
extern std::shared_ptr<TList> bulletList;
extern std::shared_ptr<TList> particleList;

// Walks a list front to back, handing every object to fn. Each world list
// only ever holds objects of its own class (only that class appends to it),
// so no type test is needed; a link removed under the cursor yields none,
// which is skipped. The walk survives fn removing the current object or
// appending new ones, and keeps the current object alive while fn runs.
template <class T, class F>
void ForEach(const std::shared_ptr<TList>& list, F fn) {
  if (!list) return;
  auto cursor = list->ObjectEnumerator();
  while (cursor->HasNext()) {
    auto object = std::static_pointer_cast<T>(cursor->NextObject());
    if (object) fn(object);
  }
}

void SpawnEnemy();
void FireBullet(int32_t x, int32_t y, int32_t angle, int32_t owner);

void UpdateEnemies();
void RenderEnemies();
void EnemiesMoveAway();
void UpdatePlayers();
void RenderPlayers();
void UpdateBullets();
void RenderBullets();
void ClearBullets();
void UpdateParticles();
void RenderParticles();

// Whole-pixel distance between two points.
int32_t Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Distance(x1, y1, x2, y2) < radius, without the square root: for whole
// numbers the truncated root is below the radius exactly when the squared
// distance is below the squared radius.
bool WithinDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius);
// Direction in whole degrees from point 1 towards point 2, 0..360.
int32_t AngleTo(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
double Lerp(double t, double a, double b);
// Plays a sound on a fresh channel of its own at the given volume.
void PlaySoundVolume(const std::shared_ptr<TSound>& sound, float volume);
