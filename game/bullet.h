// Every shot in flight, the player's and the enemies', and the game's one
// collision test. Leans on entity.h, particles and the draw state.
#pragma once
#include <cstdint>
#include <memory>

#include "game/entity.h"

class TBullet : public Entity {
 public:
  float angle = 0;
  float speed = 0;
  int32_t damage = 0;
  float phase = 0;
  int32_t owner = 0;  // 0 the player, 1 an enemy
  int32_t border = 0;

  virtual ~TBullet() = default;
  virtual void Update();
  virtual void CheckCollision();
  virtual void Render();
  // Makes a bullet and appends it to bulletList; returns nothing.
  static void Create(int32_t x, int32_t y, int32_t angle, int32_t owner);
};
