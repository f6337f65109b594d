// The draw-state calls the game makes between Cls and Flip: colour, alpha,
// blend, rotation, scale, handle, origin, viewport, and transformed drawing of
// images, rectangles, lines, ovals, polygons and text. The state lives in the
// current TCanvasGraphics (kept exactly as given) and is forwarded to the
// current TCanvasDriver (which clamps it). With no graphics open every call
// here does nothing and every getter returns zeros.
#pragma once
#include <memory>
#include <string>
#include <vector>

class TImage;
class TPixmap;

void SetColor(int red, int green, int blue);
void GetColor(int& red, int& green, int& blue);
void SetAlpha(float alpha);
float GetAlpha();
void SetBlend(int mode);
int GetBlend();
void SetLineWidth(float width);
float GetLineWidth();
// Clips drawing to the rectangle; y is measured from the top of the window.
void SetViewport(int x, int y, int width, int height);
void GetViewport(int& x, int& y, int& width, int& height);
// Added to every drawing position.
void SetOrigin(float x, float y);
void GetOrigin(float& x, float& y);
// Shifts rectangles, lines, ovals, polygons and text by (-x, -y) before they
// are rotated and scaled. Images have their own handles and ignore it.
void SetHandle(float x, float y);
void GetHandle(float& x, float& y);
// Degrees, clockwise on the screen.
void SetRotation(float degrees);
float GetRotation();
void SetScale(float scale_x, float scale_y);
void GetScale(float& scale_x, float& scale_y);
void SetTransform(float degrees, float scale_x, float scale_y);
// Recomputes the 2 x 2 matrix from rotation and scale and sends it.
void UpdateTransform();

void Plot(float x, float y);
void DrawLine(float x0, float y0, float x1, float y1, int draw_last_pixel = 1);
void DrawRect(float x, float y, float width, float height);
void DrawOval(float x, float y, float width, float height);
// Pairs of x, y; fewer than three points or an odd count draws nothing.
void DrawPoly(const std::vector<float>& xy);
// The image's handle lands on (x, y). An empty image draws nothing; a frame
// outside the image raises the array-bounds run-time error.
void DrawImage(const std::shared_ptr<TImage>& image, float x, float y, int frame = 0);
// As DrawImage, with the picture stretched to width x height.
void DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float width,
                   float height, int frame = 0);
// Text in the current image font, its top-left at (x, y). The string is
// UTF-8; each UTF-16 unit of it is one character.
void DrawText(const std::string& text, float x, float y);
void DrawText(const std::u16string& text, float x, float y);

// Raw pixel transfer at window position (x, y), unaffected by the draw state.
void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y);
// A copy of the back buffer's rectangle as an RGBA pixmap, row 0 at the top.
std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height);

// UTF-8 to UTF-16 code units; bytes that are not valid UTF-8 stand for
// themselves (Latin-1), so no input is ever rejected.
std::u16string TextToUTF16(const std::string& text);
