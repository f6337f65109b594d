// Drawing slots of the OpenGL 2D driver: blending, colour, transform,
// primitives, pixmaps and texture frames, over the GL state caches of
// gl_canvas_driver.h. Placeholder bodies until the sprite renderer lands:
// they draw nothing, so the window and context code links and runs.
#include "graphics/gl_canvas_driver.h"

std::shared_ptr<TImageFrame> TGLCanvasDriver::CreateFrameFromPixmap(const std::shared_ptr<TPixmap>&,
                                                                    int) {
  return nullptr;
}

void TGLCanvasDriver::SetBlend(int) {}
void TGLCanvasDriver::SetAlpha(float) {}
void TGLCanvasDriver::SetColor(int, int, int) {}
void TGLCanvasDriver::SetViewport(int, int, int, int) {}
void TGLCanvasDriver::SetTransform(float, float, float, float) {}
void TGLCanvasDriver::SetLineWidth(float) {}
void TGLCanvasDriver::Plot(float, float) {}
void TGLCanvasDriver::DrawLine(float, float, float, float, float, float) {}
void TGLCanvasDriver::DrawRect(float, float, float, float, float, float) {}
void TGLCanvasDriver::DrawOval(float, float, float, float, float, float) {}
void TGLCanvasDriver::DrawPoly(const std::vector<float>&, float, float, float, float) {}
void TGLCanvasDriver::DrawPixmap(const std::shared_ptr<TPixmap>&, int, int) {}
std::shared_ptr<TPixmap> TGLCanvasDriver::GrabPixmap(int, int, int, int) { return nullptr; }
