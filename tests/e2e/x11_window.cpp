// Talking to the test's X server directly: whether it takes clients yet, and
// what a window manager would do with the game's window without one (send
// the close box's WM_DELETE_WINDOW message, read the icon it offers).
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>

#include "tests/e2e/harness.h"

bool DisplayAnswers(const std::string& display) {
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return false;
  XCloseDisplay(d);
  return true;
}

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

std::vector<uint32_t> WindowIcon(const std::string& display, unsigned long window) {
  std::vector<uint32_t> icon;
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return icon;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  // Up to 16M values: far more than any icon the game could set.
  if (XGetWindowProperty(d, window, XInternAtom(d, "_NET_WM_ICON", False), 0, 1L << 24, False, XA_CARDINAL,
                         &type, &format, &count, &after, &data) == Success &&
      type == XA_CARDINAL && format == 32) {
    // Xlib hands 32-bit values over as longs.
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    icon.assign(values, values + count);
  }
  if (data) XFree(data);
  XCloseDisplay(d);
  return icon;
}
