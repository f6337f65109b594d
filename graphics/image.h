// Images: drawable pictures with frames, a handle and flags. Pixels live in
// pixmaps; the texture of a frame is made by the current 2D driver the first
// time the frame is drawn in a graphics generation, and again after graphics
// are reopened. Also the process-wide image settings (mask colour, automatic
// flags and mid-handles) and the free functions the game calls.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "graphics/pixmap_loader.h"

class TPixmap;
class TStream;

constexpr int IMAGE_MASKED = 1;     // pictures without alpha lose the mask colour
constexpr int IMAGE_FILTERED = 2;   // linear sampling
constexpr int IMAGE_MIPMAPPED = 4;  // full mipmap chain
constexpr int IMAGE_DYNAMIC = 8;    // always set by CreateImage; no effect in GL

// A texture made from one frame's pixmap, drawn as one quad.
class TImageFrame {
 public:
  virtual ~TImageFrame() = default;
  // Draws the picture over the rectangle (x0, y0)-(x1, y1), transformed by the
  // driver's matrix and then moved by (tx, ty).
  virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
};

class TImage {
 public:
  int width = 0;
  int height = 0;
  int flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;  // the mask colour when the image was made
  float handle_x = 0.0f;
  float handle_y = 0.0f;
  std::vector<std::shared_ptr<TPixmap>> pixmaps;
  std::vector<std::shared_ptr<TImageFrame>> frames;
  std::vector<int> seqs;  // GraphicsSeq each frame was made under, 0 for none

  virtual ~TImage() = default;
  // The frame's texture, made (again) when it is missing or stale. Empty when
  // there is no 2D driver or the driver cannot make it.
  virtual std::shared_ptr<TImageFrame> Frame(int index);
  // The frame's pixmap, made (uncleared RGBA) when missing. Write access drops
  // the texture so the next draw uploads the new pixels.
  virtual std::shared_ptr<TPixmap> Lock(int index, int read, int write);
  // Stores the pixmap as the frame's pixels, masking it first when the image
  // is masked and the pixmap has no alpha of its own.
  virtual void SetPixmap(int index, const std::shared_ptr<TPixmap>& pixmap);

  static std::shared_ptr<TImage> Create(int width, int height, int frame_count, int flags,
                                        int mask_r, int mask_g, int mask_b);
  // None when the url cannot be read as a picture.
  static std::shared_ptr<TImage> Load(const std::string& url, int flags, int mask_r, int mask_g,
                                      int mask_b);
  static std::shared_ptr<TImage> Load(const std::shared_ptr<TPixmap>& pixmap, int flags,
                                      int mask_r, int mask_g, int mask_b);
  // Frames cut from a picture of cells, row by row, cell_width x cell_height
  // each, starting at cell first. None when the picture is too small.
  static std::shared_ptr<TImage> LoadAnim(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                          int cell_height, int first, int count, int flags,
                                          int mask_r, int mask_g, int mask_b);
  static std::shared_ptr<TImage> LoadAnim(const std::string& url, int cell_width, int cell_height,
                                          int first, int count, int flags, int mask_r, int mask_g,
                                          int mask_b);

 private:
  void CheckIndex(int index) const;
};

// A new RGBA pixmap in which pixels of the mask colour are transparent and
// carry the average colour of their opaque 3 x 3 neighbours, so filtering
// does not bleed the mask colour into the picture's edges.
std::shared_ptr<TPixmap> MaskPixmap(const std::shared_ptr<TPixmap>& pixmap, int r, int g, int b);

// flags -1 means the automatic flags (IMAGE_MASKED | IMAGE_FILTERED at start).
std::shared_ptr<TImage> LoadImage(const std::string& url, int flags = -1);
std::shared_ptr<TImage> LoadImage(const char* url, int flags = -1);
std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TPixmap>& pixmap, int flags = -1);
std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TStream>& stream, int flags = -1);
std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cell_width, int cell_height,
                                      int first, int count, int flags = -1);
std::shared_ptr<TImage> LoadAnimImage(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                      int cell_height, int first, int count, int flags = -1);
// IMAGE_DYNAMIC is always added. Pixels are made on first Lock.
std::shared_ptr<TImage> CreateImage(int width, int height, int frames = 1, int flags = -1);

// Whether later LoadImage/CreateImage calls put the handle at the centre.
void AutoMidHandle(int on);
void MidHandleImage(const std::shared_ptr<TImage>& image);
void SetImageHandle(const std::shared_ptr<TImage>& image, float x, float y);
void GetImageHandle(const std::shared_ptr<TImage>& image, float& x, float& y);
// 0 for an empty image.
int ImageWidth(const std::shared_ptr<TImage>& image);
int ImageHeight(const std::shared_ptr<TImage>& image);
void SetMaskColor(int r, int g, int b);
void GetMaskColor(int& r, int& g, int& b);
// -1 leaves the automatic flags unchanged.
void AutoImageFlags(int flags);
int GetAutoImageFlags();
// Copies the back buffer's rectangle at (x, y), the image's size, into the frame.
void GrabImage(const std::shared_ptr<TImage>& image, int x, int y, int frame = 0);
std::shared_ptr<TPixmap> LockImage(const std::shared_ptr<TImage>& image, int frame = 0,
                                   int read = 1, int write = 1);
void UnlockImage(const std::shared_ptr<TImage>& image, int frame = 0);
