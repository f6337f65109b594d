// Events: what the platform layer tells the game (keys, mouse, a gamepad's
// aim, focus, the close request, timer ticks). Each event is emitted through
// the EmitEventHook chain, where the polled-input hook (input.h) and anyone
// else can see it.
// Leans on the hook chains.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "system/hook.h"

constexpr int EVENT_APPMASK = 0x100;
constexpr int EVENT_APPSUSPEND = 0x101;
constexpr int EVENT_APPRESUME = 0x102;
constexpr int EVENT_APPTERMINATE = 0x103;
constexpr int EVENT_APPOPENFILE = 0x104;
constexpr int EVENT_APPIDLE = 0x105;
constexpr int EVENT_KEYMASK = 0x200;
constexpr int EVENT_KEYDOWN = 0x201;
constexpr int EVENT_KEYUP = 0x202;
constexpr int EVENT_KEYCHAR = 0x203;
constexpr int EVENT_KEYREPEAT = 0x204;
constexpr int EVENT_MOUSEMASK = 0x400;
constexpr int EVENT_MOUSEDOWN = 0x401;
constexpr int EVENT_MOUSEUP = 0x402;
constexpr int EVENT_MOUSEMOVE = 0x403;
constexpr int EVENT_MOUSEWHEEL = 0x404;
constexpr int EVENT_MOUSEENTER = 0x405;
constexpr int EVENT_MOUSELEAVE = 0x406;
constexpr int EVENT_TIMERMASK = 0x800;
constexpr int EVENT_TIMERTICK = 0x801;
constexpr int EVENT_HOTKEYMASK = 0x1000;
constexpr int EVENT_HOTKEYHIT = 0x1001;
constexpr int EVENT_GADGETMASK = 0x2000;
constexpr int EVENT_GADGETACTION = 0x2001;
constexpr int EVENT_GADGETPAINT = 0x2002;
constexpr int EVENT_GADGETSELECT = 0x2003;
constexpr int EVENT_GADGETMENU = 0x2004;
constexpr int EVENT_GADGETOPEN = 0x2005;
constexpr int EVENT_GADGETCLOSE = 0x2006;
constexpr int EVENT_GADGETDONE = 0x2007;
constexpr int EVENT_GADGETLOSTFOCUS = 0x2008;
constexpr int EVENT_GADGETSHAPE = 0x2009;
constexpr int EVENT_WINDOWMASK = 0x4000;
constexpr int EVENT_WINDOWMOVE = 0x4001;
constexpr int EVENT_WINDOWSIZE = 0x4002;
constexpr int EVENT_WINDOWCLOSE = 0x4003;
constexpr int EVENT_WINDOWACTIVATE = 0x4004;
constexpr int EVENT_WINDOWACCEPT = 0x4005;
constexpr int EVENT_MENUMASK = 0x8000;
constexpr int EVENT_MENUACTION = 0x8001;
constexpr int EVENT_STREAMMASK = 0x10000;
constexpr int EVENT_STREAMEOF = 0x10001;
constexpr int EVENT_STREAMAVAIL = 0x10002;
constexpr int EVENT_PROCESSMASK = 0x20000;
constexpr int EVENT_PROCESSEXIT = 0x20001;
// A twin stick's aim (a gamepad's right stick, the touch aiming stick)
// leaning along (x, y), 32768 its full lean; (0, 0) when the pad is gone and
// the mouse aims again.
constexpr int EVENT_PADMASK = 0x40000;
constexpr int EVENT_PADAIM = 0x40001;
constexpr int EVENT_USEREVENTMASK = static_cast<int>(0x80000000u);

// Modifier mask bits.
constexpr int MODIFIER_SHIFT = 1;
constexpr int MODIFIER_CONTROL = 2;
constexpr int MODIFIER_OPTION = 4;  // Alt
constexpr int MODIFIER_SYSTEM = 8;  // either Windows / Super key

// A string carried as an event's extra object; the only kind of extra whose
// text ToString shows.
class TStringObject : public TObject {
 public:
  explicit TStringObject(std::string text) : value(std::move(text)) {}
  std::string ToString() const override { return value; }
  std::string value;
};

class TEvent : public TObject, public std::enable_shared_from_this<TEvent> {
 public:
  int id = 0;
  std::shared_ptr<TObject> source;
  int data = 0;
  int mods = 0;
  int x = 0;
  int y = 0;
  std::shared_ptr<TObject> extra;

  // Runs the event through the EmitEventHook chain.
  void Emit();
  // "KeyDown: data=65, mods=0, x=0, y=0, extra=\"\""
  std::string ToString() const override;

  static std::shared_ptr<TEvent> Create(int id, std::shared_ptr<TObject> source = nullptr,
                                        int data = 0, int mods = 0, int x = 0, int y = 0,
                                        std::shared_ptr<TObject> extra = nullptr);
  // A fresh id with the top bit set, for events of the program's own.
  static int AllocUserId();
};

// The chain through which every TEvent is emitted.
extern const int EmitEventHook;

// The name ToString prints for an id ("KeyDown", "UserEvent5", "Unknown Event, id=7").
std::string EventIdName(int id);

// Creates and emits an event in one go.
void EmitEvent(int id, std::shared_ptr<TObject> source = nullptr, int data = 0, int mods = 0,
               int x = 0, int y = 0);
