// Sparks, debris and flashes: thrown, slowed, spun, scaled and faded out.
// Leans on entity.h, the random generator and the draw state.
#pragma once
#include <cstdint>
#include <memory>

#include "game/entity.h"

class TParticle : public Entity {
 public:
  float life = 0;
  float lifetime = 0;
  int32_t angle = 0;
  int32_t turnspeed = 0;
  int32_t color = 0;
  float size = 0;
  float scale = 0;
  float friction = 0;
  int32_t style = 0;
  int32_t big = 0;

  TParticle();
  virtual ~TParticle() = default;
  virtual void Update();
  virtual void Render();
  // Makes a particle and appends it to particleList; returns nothing.
  static void Create(int32_t x, int32_t y, int32_t xs, int32_t ys, int32_t color, int32_t style,
                     int32_t big);
};
