// The close box of a window manager, without a window manager: sends the
// WM_DELETE_WINDOW protocol message to a window.
#include <X11/Xlib.h>

#include <string>

bool RequestClose(const std::string& display, unsigned long window) {
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return false;
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  Status ok = XSendEvent(d, window, False, NoEventMask, &ev);
  XFlush(d);
  XCloseDisplay(d);
  return ok != 0;
}
