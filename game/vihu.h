// The enemy: appears out of the centre, wanders, wraps, swings and blinks
// with the music, fires every 50 updates and flees at a stage change.
// Leans on entity.h, bullets, particles and the random generator.
#pragma once
#include <cstdint>
#include <memory>

#include "game/entity.h"

class Vihu : public Entity {
 public:
  int32_t health = 0;
  float angle = 0;
  float speed = 0;
  int32_t reload = 0;
  int32_t reloadtime = 0;
  int32_t movecounter = 0;
  int32_t movefreq = 0;
  int32_t creation = 0;
  float swingspeed = 0;
  int32_t border = 0;
  int32_t TimeHasCome = 0;
  float movingaway = 0;
  int32_t size = 0;
  float warmup = 0;
  int32_t startup = 0;
  int32_t hit = 0;

  Vihu();
  // Constructs an enemy and appends it to enemyList.
  static std::shared_ptr<Vihu> New();
  virtual ~Vihu() = default;
  virtual void Update();
  virtual void Explode();
  virtual void Render();
  virtual void MoveAway();
};
