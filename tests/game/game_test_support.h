// Shared set-up for the game's tests: a hand-driven clock, a system driver
// that takes no messages from anywhere (tests emit the events themselves),
// a program state put back to how the program starts, and helpers to press
// keys and move the mouse through the event hook chain.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/list.h"

class Entity;
class TImage;

namespace game_test {

// What the game asked the audio layer to do, in order: "play D 0.5"
// (the sound's name and its channel's volume, or "-" without a channel),
// "cue music", "pause music", "resume music".
std::vector<std::string>& SoundLog();
// How many "play NAME ..." entries the log holds.
int Plays(const std::string& name);
// Gives every sound handle of the game a named logging sound and the music
// channel a logging channel, with an audio driver whose channels log too.
void InstallLoggingSounds();

// The clock the tests set by hand.
void SetNow(int32_t ms);
int32_t Now();
void Advance(int32_t ms);

// The texts of the message boxes the game asked for since the test began.
std::vector<std::string>& Notices();

// Puts every program-wide value of the game back to its start-up value,
// with fresh empty world lists and the tempo set; the generator is put back
// to its initial state.
void ResetProgramState();

// A plain white picture of the given size, standing in for the game's data.
std::shared_ptr<TImage> Picture(int width, int height);

// Input through the hook chain, as the window would deliver it.
void PressKey(int key);
void ReleaseKey(int key);
void MoveMouseTo(int x, int y);
void PressButton(int button);
void ReleaseButton(int button);

template <class T>
std::vector<std::shared_ptr<T>> All(const std::shared_ptr<TList>& list) {
  std::vector<std::shared_ptr<T>> out;
  for (const auto& object : list->Each<T>()) out.push_back(object);
  return out;
}

// Installs the hand clock and the quiet system driver, enables polled input
// and resets the program state; undone at the end of each test.
class GameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace game_test
