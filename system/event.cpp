// Event records, their text form, and the emit chain.
#include "system/event.h"

const int EmitEventHook = AllocHookId();

namespace {
int g_next_user_id = 0;
}

std::string EventIdName(int id) {
  switch (id) {
    case EVENT_APPSUSPEND: return "AppSuspend";
    case EVENT_APPRESUME: return "AppResume";
    case EVENT_APPTERMINATE: return "AppTerminate";
    case EVENT_APPOPENFILE: return "AppOpenFile";
    case EVENT_APPIDLE: return "AppIdle";
    case EVENT_KEYDOWN: return "KeyDown";
    case EVENT_KEYUP: return "KeyUp";
    case EVENT_KEYCHAR: return "KeyChar";
    case EVENT_KEYREPEAT: return "KeyRepeat";
    case EVENT_MOUSEDOWN: return "MouseDown";
    case EVENT_MOUSEUP: return "MouseUp";
    case EVENT_MOUSEMOVE: return "MouseMove";
    case EVENT_MOUSEWHEEL: return "MouseWheel";
    case EVENT_MOUSEENTER: return "MouseEnter";
    case EVENT_MOUSELEAVE: return "MouseLeave";
    case EVENT_TIMERTICK: return "TimerTick";
    case EVENT_HOTKEYHIT: return "HotkeyHit";
    case EVENT_GADGETACTION: return "GadgetAction";
    case EVENT_GADGETPAINT: return "GadgetPaint";
    case EVENT_GADGETSELECT: return "GadgetSelect";
    case EVENT_GADGETMENU: return "GadgetMenu";
    case EVENT_GADGETOPEN: return "GadgetOpen";
    case EVENT_GADGETCLOSE: return "GadgetClose";
    case EVENT_GADGETDONE: return "GadgetDone";
    case EVENT_GADGETLOSTFOCUS: return "GadgetLostFocus";
    case EVENT_GADGETSHAPE: return "GadgetShape";
    case EVENT_WINDOWMOVE: return "WindowMove";
    case EVENT_WINDOWSIZE: return "WindowSize";
    case EVENT_WINDOWCLOSE: return "WindowClose";
    case EVENT_WINDOWACTIVATE: return "WindowActivate";
    case EVENT_WINDOWACCEPT: return "WindowAccept";
    case EVENT_MENUACTION: return "MenuAction";
    case EVENT_STREAMEOF: return "StreamEof";
    case EVENT_STREAMAVAIL: return "StreamAvail";
    case EVENT_PROCESSEXIT: return "ProcessExit";
    case EVENT_PADAIM: return "PadAim";
    default: break;
  }
  if (id & EVENT_USEREVENTMASK) {
    // The id less the top bit, done unsigned so nothing overflows.
    uint32_t user = static_cast<uint32_t>(id) - 0x80000000u;
    return "UserEvent" + std::to_string(static_cast<int32_t>(user));
  }
  return "Unknown Event, id=" + std::to_string(id);
}

void TEvent::Emit() {
  // An event made by Create is shared, so a hook may keep it; one living
  // elsewhere is lent to the chain for the length of the call only.
  std::shared_ptr<TEvent> self = weak_from_this().lock();
  if (!self) self = std::shared_ptr<TEvent>(std::shared_ptr<TEvent>{}, this);
  RunHooks(EmitEventHook, self);
}

std::string TEvent::ToString() const {
  std::string extra_text;
  if (auto text = std::dynamic_pointer_cast<TStringObject>(extra)) extra_text = text->value;
  return EventIdName(id) + ": data=" + std::to_string(data) + ", mods=" + std::to_string(mods) +
         ", x=" + std::to_string(x) + ", y=" + std::to_string(y) + ", extra=\"" + extra_text + "\"";
}

std::shared_ptr<TEvent> TEvent::Create(int id, std::shared_ptr<TObject> source, int data, int mods,
                                       int x, int y, std::shared_ptr<TObject> extra) {
  auto event = std::make_shared<TEvent>();
  event->id = id;
  event->source = std::move(source);
  event->data = data;
  event->mods = mods;
  event->x = x;
  event->y = y;
  event->extra = std::move(extra);
  return event;
}

int TEvent::AllocUserId() {
  ++g_next_user_id;
  return static_cast<int>(static_cast<uint32_t>(g_next_user_id) | 0x80000000u);
}

void EmitEvent(int id, std::shared_ptr<TObject> source, int data, int mods, int x, int y) {
  TEvent::Create(id, std::move(source), data, mods, x, y)->Emit();
}
