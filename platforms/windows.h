// The drivers gloomfall offers on Windows (see linux.h for the form). Its
// SDL is built without OpenGL ES, so only the OpenGL 1.1 renderer is here.
GLOOMFALL_RENDERER("gl", "OpenGL 1.1", MakeGLCanvasDriver, GRAPHICS_BACKBUFFER, 1)
GLOOMFALL_SYSTEM_DRIVER(CreateSDLSystemDriver)
GLOOMFALL_AUDIO_OUTPUT(CreateSDLAudioOutput)
