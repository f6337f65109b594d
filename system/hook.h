// Hook chains: 256 prioritised lists of callbacks indexed by a hook id.
// Every input event is emitted through one chain (EmitEventHook, event.h) and
// every Flip runs another (FlipHook); the polled-input state is a hook.
// Leans on the run-time errors for "Too many hook ids".
#pragma once

#include <memory>

#include "system/runtime_error.h"

// A hook gets the chain's id, the data returned by the previous hook (the
// data given to RunHooks for the first) and its own context, and returns the
// data for the next one.
using HookFunction = std::shared_ptr<TObject> (*)(int id, std::shared_ptr<TObject> data,
                                                  std::shared_ptr<TObject> context);

// One entry of a chain.
class THook {
 public:
  std::shared_ptr<THook> succ;
  int priority = 0;
  HookFunction func = nullptr;
  std::shared_ptr<TObject> context;
};

constexpr int MAX_HOOK_IDS = 256;

// Returns ids 0 to 255 in turn; the 257th call raises "Too many hook ids".
int AllocHookId();

// Inserts in front of the first entry of lower priority: larger priorities
// run earlier and equal ones in the order they were added.
void AddHook(int id, HookFunction func, std::shared_ptr<TObject> context = nullptr, int priority = 0);

// Unlinks the first entry with this function and context; nothing if none.
void RemoveHook(int id, HookFunction func, std::shared_ptr<TObject> context = nullptr);

// Calls every entry in chain order, threading the data through; returns the
// last result (the given data when the chain is empty).
std::shared_ptr<TObject> RunHooks(int id, std::shared_ptr<TObject> data);
