// The page sizes the canvas to the screen (packaging/web/index.html) and the
// game draws its frame letterboxed in whatever size the canvas has
// (graphics/web/web_window.cpp). SDL's setting the canvas to each window's
// size would only be undone by the page, and every change of size remakes
// the WebGL drawing buffer, which a software renderer takes a good part of a
// second over at start-up: the hidden 1 x 1 window that carries the shared
// context, the game's own window, then the page's size again. So the size
// stays the page's.
mergeInto(LibraryManager.library, {
  emscripten_set_canvas_element_size: function(target, width, height) {
    return 0;
  },
});
