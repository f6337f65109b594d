// Sound in the browser: SDL plays through the page's Web Audio context,
// which pauses while the game is paused (the page hidden, or its WebGL
// context taken away: system/web/web_pause.h) and resumes with it, as the
// game's clock and frames do. A platform file of the browser build.
#pragma once

#include <memory>

#include "audio/mixer.h"

// The browser's sound output, as its driver table (platforms/web.h) names it.
std::unique_ptr<audiodevice> CreateWebAudioOutput();
