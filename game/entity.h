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

// Walks a list front to back, handing every object of class T to fn.
// The walk survives fn removing the current object or appending new ones.
template <class T, class F>
void ForEach(const std::shared_ptr<TList>& list, F fn) {
  if (!list) return;
  auto cursor = list->ObjectEnumerator();
  while (cursor->HasNext()) {
    auto object = std::dynamic_pointer_cast<T>(cursor->NextObject());
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
// Direction in whole degrees from point 1 towards point 2, 0..360.
int32_t AngleTo(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
double Lerp(double t, double a, double b);
// Plays a sound on a fresh channel of its own at the given volume.
void PlaySoundVolume(const std::shared_ptr<TSound>& sound, float volume);
