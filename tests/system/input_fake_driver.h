// A system driver for tests: Poll emits the events queued since the last
// poll, as if the user had acted between two queries.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "system/input.h"

class FakeSystemDriver : public TQuietSystemDriver {
 public:
  std::deque<std::shared_ptr<TEvent>> pending;
  // Delivered only by Wait: what arrives while the program blocks.
  std::deque<std::shared_ptr<TEvent>> waiting;
  int polls = 0;
  int max_depth = 0;
  std::vector<std::string> notes;

  void Queue(int id, int data = 0, int x = 0, int y = 0, int mods = 0) {
    pending.push_back(TEvent::Create(id, nullptr, data, mods, x, y));
  }

  void Poll() override {
    ++polls;
    ++depth_;
    if (depth_ > max_depth) max_depth = depth_;
    while (!pending.empty()) {
      auto e = pending.front();
      pending.pop_front();
      e->Emit();
    }
    --depth_;
  }
  void Wait() override {
    ++waits;
    while (!waiting.empty()) {
      auto e = waiting.front();
      waiting.pop_front();
      e->Emit();
    }
    Poll();
  }
  void QueueWhileWaiting(int id, int data = 0) { waiting.push_back(TEvent::Create(id, nullptr, data)); }
  int waits = 0;
  void Notify(const std::string& text, bool serious) override {
    notes.push_back(text + (serious ? "!" : ""));
  }

 private:
  int depth_ = 0;
};

// Installs a fresh fake driver with polled input enabled and flushed.
class PolledInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = std::make_shared<FakeSystemDriver>();
    SetSystemDriver(fake);
    DisablePolledInput();
    EnablePolledInput();
  }
  void TearDown() override {
    DisablePolledInput();
    SetSystemDriver(nullptr);
  }
  std::shared_ptr<FakeSystemDriver> fake;
};
