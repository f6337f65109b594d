// The .ico container (see icon_file.h). Small sizes are bitmaps, as every
// version of Windows reads them; the 256 entry is PNG to keep the file small.
#include "tools/icon_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

// A 32-bit bitmap entry: a BITMAPINFOHEADER whose height counts the colour
// rows and the mask rows, BGRA rows bottom-up, then the 1-bit mask rows
// (set where the pixel is fully transparent, for readers that ignore alpha).
std::vector<uint8_t> BitmapEntry(const Canvas& c) {
  const int n = c.Width();
  const uint32_t mask_row = static_cast<uint32_t>((n + 31) / 32 * 4);
  const uint32_t image_bytes = static_cast<uint32_t>(n * n * 4) + mask_row * static_cast<uint32_t>(n);
  std::vector<uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(n));
  Put32(out, static_cast<uint32_t>(2 * n));
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // uncompressed
  Put32(out, image_bytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // resolution and palette: unused
  std::vector<uint8_t> rgba = c.ToRgba8();
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * n + x) * 4];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(mask_row);
    for (int x = 0; x < n; ++x)
      if (rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

Canvas Shrink(const Canvas& picture, int size) {
  Canvas out(size, size);
  const double fx = static_cast<double>(picture.Width()) / size, fy = static_cast<double>(picture.Height()) / size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double r = 0, g = 0, b = 0, a = 0, area = 0;
      const double x0 = x * fx, x1 = (x + 1) * fx, y0 = y * fy, y1 = (y + 1) * fy;
      for (int sy = static_cast<int>(y0); sy < y1 && sy < picture.Height(); ++sy)
        for (int sx = static_cast<int>(x0); sx < x1 && sx < picture.Width(); ++sx) {
          double w = (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0)) *
                     (std::min<double>(sy + 1, y1) - std::max<double>(sy, y0));
          Rgba p = picture.At(sx, sy);
          r += w * p.r * p.a, g += w * p.g * p.a, b += w * p.b * p.a, a += w * p.a;
          area += w;
        }
      Rgba mean{0, 0, 0, static_cast<float>(a / area)};
      if (a > 0) mean = {static_cast<float>(r / a), static_cast<float>(g / a), static_cast<float>(b / a), mean.a};
      out.Set(x, y, mean);
    }
  return out;
}

bool WriteIco(const std::string& path, const std::vector<uint8_t>& png256, const Canvas& icon,
              const std::vector<int>& sizes) {
  std::vector<std::vector<uint8_t>> images = {png256};
  for (int size : sizes) images.push_back(BitmapEntry(Shrink(icon, size)));
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    int size = i == 0 ? 256 : sizes[i - 1];
    out.push_back(static_cast<uint8_t>(size == 256 ? 0 : size));  // 0 stands for 256
    out.push_back(static_cast<uint8_t>(size == 256 ? 0 : size));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());

  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file || std::fwrite(out.data(), 1, out.size(), file.get()) != out.size() || std::fflush(file.get()) != 0) {
    std::perror(path.c_str());
    return false;
  }
  return true;
}
