// The zooming background layers: each TFrame is a collage of tinted
// rectangles with drifting decorations, laid out from its own seed.
// Leans on the random generator, the draw state and the object list.
#pragma once
#include <cstdint>
#include <memory>

#include "system/list.h"

class TImage;

class TFrame : public TObject {
 public:
  float size = 0;
  float zoomspeed = 0;
  std::shared_ptr<TImage> img;  // never drawn; kept as part of the layer
  int32_t getbig = 0;
  float countdown = 0;
  int32_t seed = 0;
  float fadespeed = 0;
  int32_t life = 0;
  int32_t state = 0;  // 0 growing, 1 settled, 2 pushed back

  virtual ~TFrame() = default;
  virtual int32_t Update(float speed);
  virtual int32_t Render(int32_t a, int32_t b);
  static std::shared_ptr<TFrame> Create();
};

extern std::shared_ptr<TList> frameList;
extern int32_t frameGrowing;
extern float frameZoomSpeed;

void PushFrame();
void UpdateFrames();
void RenderFrames();
