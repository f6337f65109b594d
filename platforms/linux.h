// The drivers gloomfall offers on Linux, read by the generic level of each
// subsystem (each defines the lines it reads and ignores the others). The
// back-end folders they live in are Linux's list in the top CMakeLists.txt.
//
// Renderers: name (what GLOOMFALL_RENDERER says), title, default graphics
// flags and rank; the highest rank is the default.
GLOOMFALL_RENDERER("gl", "OpenGL 1.1", MakeGLCanvasDriver, GRAPHICS_BACKBUFFER, 1)
GLOOMFALL_RENDERER("gles2", "OpenGL ES 2.0", MakeGLES2CanvasDriver, GRAPHICS_BACKBUFFER, 0)
// Window messages, input, the message box.
GLOOMFALL_SYSTEM_DRIVER(CreateSDLSystemDriver)
// Where the mixer's sound goes.
GLOOMFALL_AUDIO_OUTPUT(CreateSDLAudioOutput)
