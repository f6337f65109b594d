// Sound in the browser: SDL plays through the page's Web Audio context.
// A platform file of the browser build.
#pragma once

// Pauses the page's sound while the page is hidden and resumes it when the
// page shows again, as the game's clock and frames do.
void WebPauseSoundWhileHidden();
