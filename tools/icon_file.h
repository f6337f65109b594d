// The Windows icon file: one .ico holding the game's icon at several sizes,
// so Explorer, the taskbar and the Start menu each find one that fits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/canvas.h"

// The picture averaged down to size x size: each new pixel is the
// coverage-weighted mean of the pixels it covers, on premultiplied colour.
Canvas Shrink(const Canvas& picture, int size);

// Writes an .ico: the 256 x 256 entry is the given PNG file's bytes as they
// are, then 32-bit bitmap entries of the icon shrunk to each of the sizes.
// Returns false and says why on standard error when it cannot.
bool WriteIco(const std::string& path, const std::vector<uint8_t>& png256, const Canvas& icon,
              const std::vector<int>& sizes);
