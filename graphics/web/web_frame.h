// Presenting frames in the browser: the page shows what was drawn once the
// game hands the thread back, so presenting a frame is waiting for the next
// animation frame, which the browser gives in step with the display (and
// not at all while the page is hidden; nor does the game get one while the
// WebGL context is lost or the page holds the pause, web_pause.h). A
// platform file of the browser build.
#pragma once

// Hands the thread to the browser until the next animation frame (sync) or
// just long enough for the drawing to reach the page (no sync).
void WebPresentFrame(bool sync);

// The display's refresh rate, measured from the animation frames seen so
// far; 60 until enough have been seen to tell.
int WebDisplayRefreshRate();
