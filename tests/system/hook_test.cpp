// Hook chains: id allocation, priority order, removal, data threading.
#include "system/hook.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> g_calls;

class Tag : public TObject {
 public:
  explicit Tag(std::string t) : text(std::move(t)) {}
  std::string text;
};

std::shared_ptr<TObject> Record(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject> context) {
  g_calls.push_back(static_cast<Tag&>(*context).text);
  return data;
}

// Appends its context's text to the data it is handed.
std::shared_ptr<TObject> Append(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject> context) {
  std::string so_far = data ? static_cast<Tag&>(*data).text : "";
  return std::make_shared<Tag>(so_far + static_cast<Tag&>(*context).text);
}

int g_seen_id = -1;
std::shared_ptr<TObject> SeeId(int id, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  g_seen_id = id;
  return data;
}

int FreshId() {
  static int id = AllocHookId();
  return id;
}
}  // namespace

TEST(Hook, HigherPriorityRunsFirstAndEqualPrioritiesKeepTheirOrder) {
  int id = AllocHookId();
  g_calls.clear();
  auto a = std::make_shared<Tag>("a"), b = std::make_shared<Tag>("b"), c = std::make_shared<Tag>("c"),
       d = std::make_shared<Tag>("d");
  AddHook(id, Record, a, 0);
  AddHook(id, Record, b, 5);
  AddHook(id, Record, c, 0);
  AddHook(id, Record, d, -3);
  RunHooks(id, nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"b", "a", "c", "d"}));
}

TEST(Hook, RunHooksThreadsTheDataAndPassesTheId) {
  int id = FreshId();
  auto x = std::make_shared<Tag>("x"), y = std::make_shared<Tag>("y");
  AddHook(id, Append, x, 1);
  AddHook(id, Append, y, 0);
  AddHook(id, SeeId, nullptr, -1);
  auto result = RunHooks(id, std::make_shared<Tag>(">"));
  EXPECT_EQ(static_cast<Tag&>(*result).text, ">xy");
  EXPECT_EQ(g_seen_id, id);
  RemoveHook(id, Append, x);
  RemoveHook(id, Append, y);
  RemoveHook(id, SeeId, nullptr);
}

TEST(Hook, EmptyChainReturnsTheGivenData) {
  int id = AllocHookId();
  auto data = std::make_shared<Tag>("same");
  EXPECT_EQ(RunHooks(id, data), data);
}

TEST(Hook, RemoveHookUnlinksOnlyTheFirstMatchOfFunctionAndContext) {
  int id = AllocHookId();
  g_calls.clear();
  auto a = std::make_shared<Tag>("a"), b = std::make_shared<Tag>("b");
  AddHook(id, Record, a, 0);
  AddHook(id, Record, b, 0);
  AddHook(id, Record, a, 0);
  RemoveHook(id, Record, a);
  RemoveHook(id, Append, b);                        // another function: nothing
  RemoveHook(id, Record, std::make_shared<Tag>("b"));  // another context object: nothing
  RunHooks(id, nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"b", "a"}));
}

TEST(Hook, TheTwoHundredFiftySeventhIdRaisesTooManyHookIds) {
  // In a child process, so the ids of this one are not used up.
  EXPECT_EXIT(
      {
        int last = -1;
        try {
          for (;;) last = AllocHookId();
        } catch (const TRuntimeException& e) {
          _exit(e.error == "Too many hook ids" && last == 255 ? 0 : 1);
        }
      },
      ::testing::ExitedWithCode(0), "");
}
