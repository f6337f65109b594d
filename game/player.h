// The player's figure: walks with W, A, S and D, wraps around the window,
// aims at the mouse pointer (or where a gamepad aims: AimPoint) and fires
// while the left button is held.
// Leans on entity.h, bullets, particles, polled input and the draw state.
#pragma once
#include <cstdint>
#include <memory>

#include "game/entity.h"

class TPlayer : public Entity {
 public:
  float angle = 0;  // always 0
  float speed = 0;
  int32_t size = 0;
  int32_t health = 0;
  int32_t reload = 0;
  int32_t reloadtime = 0;
  int32_t alive = 0;
  int32_t shootangle = 0;

  // Places the player at the centre; the caller appends it to playerList
  // (construct it with TPlayer::New, which does both).
  TPlayer();
  static std::shared_ptr<TPlayer> New();
  virtual ~TPlayer() = default;
  virtual void Update();
  virtual void Explode();
  virtual void Render();
  virtual void UpdateKeys();
};
