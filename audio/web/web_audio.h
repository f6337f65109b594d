// Sound in the browser: SDL plays through the page's Web Audio context,
// which pauses while the page is hidden and resumes when it shows again, as
// the game's clock and frames do. A platform file of the browser build.
#pragma once

#include <memory>

#include "audio/mixer.h"

// The browser's sound output, as its driver table (platforms/web.h) names it.
std::unique_ptr<audiodevice> CreateWebAudioOutput();
