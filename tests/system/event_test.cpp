// TEvent's text form for every id, user ids, and emission through the chain.
#include "system/event.h"

#include <gtest/gtest.h>

TEST(EventText, EveryNamedIdPrintsItsName) {
  const std::pair<int, const char*> names[] = {
      {0x101, "AppSuspend"},    {0x102, "AppResume"},     {0x103, "AppTerminate"},
      {0x104, "AppOpenFile"},   {0x105, "AppIdle"},       {0x201, "KeyDown"},
      {0x202, "KeyUp"},         {0x203, "KeyChar"},       {0x204, "KeyRepeat"},
      {0x401, "MouseDown"},     {0x402, "MouseUp"},       {0x403, "MouseMove"},
      {0x404, "MouseWheel"},    {0x405, "MouseEnter"},    {0x406, "MouseLeave"},
      {0x801, "TimerTick"},     {0x1001, "HotkeyHit"},    {0x2001, "GadgetAction"},
      {0x2002, "GadgetPaint"},  {0x2003, "GadgetSelect"}, {0x2004, "GadgetMenu"},
      {0x2005, "GadgetOpen"},   {0x2006, "GadgetClose"},  {0x2007, "GadgetDone"},
      {0x2008, "GadgetLostFocus"}, {0x2009, "GadgetShape"}, {0x4001, "WindowMove"},
      {0x4002, "WindowSize"},   {0x4003, "WindowClose"},  {0x4004, "WindowActivate"},
      {0x4005, "WindowAccept"}, {0x8001, "MenuAction"},   {0x10001, "StreamEof"},
      {0x10002, "StreamAvail"}, {0x20001, "ProcessExit"},
  };
  for (const auto& [id, name] : names) {
    EXPECT_EQ(TEvent::Create(id)->ToString(),
              std::string(name) + ": data=0, mods=0, x=0, y=0, extra=\"\"")
        << std::hex << id;
  }
}

TEST(EventText, FieldsAndStringExtraAreShown) {
  auto e = TEvent::Create(EVENT_MOUSEDOWN, nullptr, 2, MODIFIER_SHIFT | MODIFIER_OPTION, -4, 600);
  EXPECT_EQ(e->ToString(), "MouseDown: data=2, mods=5, x=-4, y=600, extra=\"\"");
  e->extra = std::make_shared<TStringObject>("file.png");
  EXPECT_EQ(e->ToString(), "MouseDown: data=2, mods=5, x=-4, y=600, extra=\"file.png\"");
  // An extra object that is not a string shows no text.
  e->extra = TEvent::Create(EVENT_KEYDOWN);
  EXPECT_EQ(e->ToString(), "MouseDown: data=2, mods=5, x=-4, y=600, extra=\"\"");
}

TEST(EventText, UserAndUnknownIds) {
  EXPECT_EQ(EventIdName(static_cast<int>(0x80000005u)), "UserEvent5");
  EXPECT_EQ(EventIdName(static_cast<int>(0x80000000u)), "UserEvent0");
  EXPECT_EQ(EventIdName(static_cast<int>(0xFFFFFFFFu)), "UserEvent2147483647");
  EXPECT_EQ(EventIdName(0x300), "Unknown Event, id=768");
  EXPECT_EQ(EventIdName(0), "Unknown Event, id=0");
  EXPECT_EQ(EventIdName(0x2010), "Unknown Event, id=8208");
}

TEST(Event, AllocUserIdGivesDistinctIdsWithTheTopBit) {
  int a = TEvent::AllocUserId(), b = TEvent::AllocUserId();
  EXPECT_NE(a, b);
  EXPECT_TRUE(a & EVENT_USEREVENTMASK);
  EXPECT_EQ(EventIdName(b).rfind("UserEvent", 0), 0u);
}

namespace {
std::shared_ptr<TEvent> g_kept;
std::shared_ptr<TObject> Keep(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  g_kept = std::dynamic_pointer_cast<TEvent>(data);
  return data;
}
}  // namespace

TEST(Event, EmitRunsTheEmitChainWithTheEventItself) {
  AddHook(EmitEventHook, Keep, nullptr, 100);
  auto e = TEvent::Create(EVENT_KEYCHAR, nullptr, 'q');
  e->Emit();
  EXPECT_EQ(g_kept, e);  // the same shared object, so a hook may keep it
  EmitEvent(EVENT_KEYDOWN, nullptr, 65, 2, 3, 4);
  ASSERT_TRUE(g_kept);
  EXPECT_EQ(g_kept->ToString(), "KeyDown: data=65, mods=2, x=3, y=4, extra=\"\"");
  RemoveHook(EmitEventHook, Keep, nullptr);
  g_kept = nullptr;
}
