// Replays. Everything a game depends on comes in through two doors: the
// millisecond clock and the answers to the input questions. The game asks
// them here instead of the input layer, so every game is recorded as it is
// played (the values it carries over from the title and earlier games, every
// clock reading and input answer in the order they were asked, and a hash of
// the world every few frames), and a recorded game can be played again by
// answering from the recording.
// Leans on the game's program-wide values (game_loop.h, frame.h), the world
// lists and the generator; the file format is replay_file.h.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/input.h"

// The doors. Recording: the live answer, kept. Playing: the recorded answer.
int32_t GameMillisecs();
int GameKeyDown(int key);
int GameMouseX();
int GameMouseDown(int button);
TAimPoint GameAimPoint(float x, float y);

// The program-wide values a game takes over from the title and from earlier
// games, in one place: a game is its carried values plus its answers.
struct TCarriedState {
  int32_t gameTime, startTime, stage, lastStage, level, kills, health, gameOver, graceTimer,
      spawnDelay, spawnCount, spawnTimer, colorR, colorG, colorB, enemyShotSound, playerX, playerY,
      mouseXSum, explodeNote, frameGrowing, bpm, randomSeed;
  float pulse, flashWhite, flashRed, frameZoomSpeed, beatLength;

  static TCarriedState Capture();
  void Restore() const;
  // Every value, the whole numbers first, in the order files keep them.
  template <class F>
  void Each(F&& field) {
    for (int32_t* v : {&gameTime, &startTime, &stage, &lastStage, &level, &kills, &health,
                       &gameOver, &graceTimer, &spawnDelay, &spawnCount, &spawnTimer, &colorR,
                       &colorG, &colorB, &enemyShotSound, &playerX, &playerY, &mouseXSum,
                       &explodeNote, &frameGrowing, &bpm, &randomSeed})
      field(*v);
    for (float* v : {&pulse, &flashWhite, &flashRed, &frameZoomSpeed, &beatLength}) field(*v);
  }
};

// A whole recorded game.
struct TReplay {
  TCarriedState carried{};
  // Every answer, as a zlib stream of varints: each the zigzagged
  // difference from the last answer to the same question.
  std::vector<uint8_t> answers;
  uint32_t answerCount = 0;
  // The world hash after every kHashInterval-th frame.
  std::vector<uint32_t> hashes;
  // The result: frames played, kills and level at the end, and the world
  // hash after the last frame.
  uint32_t frames = 0;
  int32_t kills = 0, level = 0;
  uint32_t finalHash = 0;
};
constexpr uint32_t kHashInterval = 10;

// A hash of the world: every object's fields in the world lists, the
// program-wide values and the generator's state.
uint32_t WorldHash();

// Called by the game at its edges: when the Space starts it (before anything
// of the new game happens), after every frame, and when it ends.
void ReplayGameStarts();
void ReplayFrameEnds();
void ReplayGameEnds();

// The last game the player played, recorded up to its last whole frame; none
// before the first game.
std::shared_ptr<TReplay> LastGame();

// How a replay went.
struct TReplayOutcome {
  uint32_t frames = 0;
  int32_t kills = 0, level = 0;
  // 0 when every hash agreed; otherwise the first frame whose hash differs
  // (or the frame where the game asked for more than was recorded).
  uint32_t astrayAt = 0;
  bool stopped = false;  // the watcher stopped it with Escape
};

// Plays a recorded game through PlayGame, answering from the recording. With
// paced, at the recorded pace with the player's Escape stopping it and Tab
// held playing it four times as fast; without, as fast as it goes. The
// program's own values are put back afterwards, so the player's next game
// is what it would have been.
TReplayOutcome WatchReplay(const TReplay& replay, bool paced);

// 1 while a replay is being played.
int ReplayPlaying();
