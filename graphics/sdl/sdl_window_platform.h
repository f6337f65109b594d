// What the window level (sdl_window.cpp) does differently on the desktop
// (graphics/native/) and in the browser (graphics/web/), where the page has
// one canvas with one WebGL context and a frame is shown only once the game
// hands the thread back to the page. Each platform builds one of the two;
// the desktop's WindowPlatformCanShow is Linux's or Windows' own
// (graphics/linux/, graphics/windows/).
#pragma once

#include <SDL.h>

// Before SDL's video starts: false when there is nothing to show a window on.
bool WindowPlatformCanShow();

// Ends a context when its window is closed.
void WindowPlatformDeleteContext(SDL_GLContext context);

// Asks for a swap interval (0 or 1); whether the system took it.
bool WindowPlatformSetSwapInterval(int interval);

// After the buffers of a window were swapped with that interval.
void WindowPlatformPresented(int interval);

// The refresh rate of the display showing the window (none: the first
// display); 0 when it is unknown.
int WindowPlatformRefreshRate(SDL_Window* window);

// The area the window's frame is drawn in: the drawable's size in pixels and
// the window's in the units SDL gives pointer positions in; false where the
// frame fills the window one to one. On the desktop only a full-screen window
// scales its frame; in the browser the canvas's own size always decides (the
// page sizes it to the screen).
bool WindowPlatformFrameArea(SDL_Window* window, bool full_screen, int& drawable_w, int& drawable_h,
                             int& window_w, int& window_h);
// How many times the contexts were lost and given back, empty (a browser
// may take its WebGL context away for a while); 0 where that never happens.
int WindowPlatformContextRestores();
