// The hook chain table. Chains are singly linked and short; the walk keeps a
// reference to the entry it is about to call, so a hook may remove itself (or
// any other entry) while the chain runs.
#include "system/hook.h"

#include <array>

namespace {
// Constant-initialised, so other files may allocate ids during their own
// static initialisation.
constinit int g_last_hook_id = -1;
constinit std::array<std::shared_ptr<THook>, MAX_HOOK_IDS> g_chains{};

bool ValidId(int id) { return id >= 0 && id < MAX_HOOK_IDS; }
}  // namespace

int AllocHookId() {
  if (g_last_hook_id + 1 >= MAX_HOOK_IDS) RuntimeError("Too many hook ids");
  return ++g_last_hook_id;
}

void AddHook(int id, HookFunction func, std::shared_ptr<TObject> context, int priority) {
  if (!ValidId(id)) throw TArrayBoundsException();
  auto hook = std::make_shared<THook>();
  hook->priority = priority;
  hook->func = func;
  hook->context = std::move(context);
  std::shared_ptr<THook>* link = &g_chains[id];
  while (*link && (*link)->priority >= priority) link = &(*link)->succ;
  hook->succ = *link;
  *link = hook;
}

void RemoveHook(int id, HookFunction func, std::shared_ptr<TObject> context) {
  if (!ValidId(id)) return;
  for (std::shared_ptr<THook>* link = &g_chains[id]; *link; link = &(*link)->succ) {
    if ((*link)->func == func && (*link)->context == context) {
      *link = (*link)->succ;
      return;
    }
  }
}

std::shared_ptr<TObject> RunHooks(int id, std::shared_ptr<TObject> data) {
  if (!ValidId(id)) return data;
  for (std::shared_ptr<THook> hook = g_chains[id]; hook; hook = hook->succ) {
    data = hook->func(id, std::move(data), hook->context);
  }
  return data;
}
