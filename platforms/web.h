// The drivers gloomfall offers in the browser (see linux.h for the form).
// WebGL 1 is OpenGL ES 2.0, and SDL's sound goes through the page's Web
// Audio context, which pauses with the page.
GLOOMFALL_RENDERER("gles2", "OpenGL ES 2.0", MakeGLES2CanvasDriver, GRAPHICS_BACKBUFFER, 0)
GLOOMFALL_SYSTEM_DRIVER(CreateSDLSystemDriver)
GLOOMFALL_AUDIO_OUTPUT(CreateWebAudioOutput)
