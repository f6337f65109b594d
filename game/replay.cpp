// Recording every game, and playing a recorded one back through the same
// game loop: the doors answer from the recording, the world is hashed every
// few frames and compared, and the player's own values come back after.
#include "game/replay.h"

#include <array>
#include <cmath>
#include <cstring>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/replay_commands.h"
#include "game/replay_file.h"
#include "game/title.h"
#include "game/vihu.h"
#include "graphics/graphics.h"
#include "system/clock.h"
#include "system/random.h"

namespace {

// A value's 32 bits as another type (std::bit_cast, which the browser's
// C++ library lacks).
template <class To, class From>
To BitsAs(From value) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(&to, &value, sizeof to);
  return to;
}

enum class Mode { kLive, kRecording, kPlaying };
Mode mode = Mode::kLive;
uint32_t frame = 0;

// Recording.
std::unique_ptr<TAnswerWriter> writer;
std::shared_ptr<TReplay> recording;  // its carried values and hashes so far
std::shared_ptr<TReplay> finished;   // the last game that ended

// Playing.
const TReplay* playing = nullptr;
std::unique_ptr<TAnswerReader> reader;
TReplayOutcome outcome;
bool paced = false;
bool ran_out = false;
int32_t speed = 1;
bool have_pace = false;
int32_t pace_real = 0, pace_recorded = 0;

// The aim is asked from the player's place. The mouse aims at its pointer, a
// stick in its direction from the place. So the stick's lean is kept, and
// the pointer while the mouse aims (both cost little while they stay), and
// each aim is guessed there, or in the direction the last aim lay from its
// place: aiming costs next to nothing either way. The guesses are worked out
// in double with a square root, which gives the same bits everywhere.
struct TAimGuess {
  float last = 0, from = 0;
  int32_t Guess(float now_from) const {
    return BitsAs<int32_t>(static_cast<float>(double{now_from} + (double{last} - double{from})));
  }
};
TAimGuess aim_x, aim_y;
int32_t aim_pointer_x = 0, aim_pointer_y = 0;  // the mouse's, as the last aim kept it

int32_t Kept(int question, int32_t answer) {
  if (mode == Mode::kRecording) writer->Put(question, answer);
  return answer;
}

int32_t Played(int question, const int32_t* guesses = nullptr) {
  int32_t answer = 0;
  if (!ran_out && !(guesses ? reader->Next(question, guesses[0], guesses[1], answer)
                              : reader->Next(question, answer)))
    ran_out = true;
  // Asked for more than was recorded: the game has gone its own way.
  if (ran_out && outcome.astrayAt == 0 && question != kQuestionKey + KEY_ESCAPE)
    outcome.astrayAt = frame + 1;
  return answer;
}

// Holds the replay to its recorded pace (or four times it): a reading is
// not given before its time has come. A replay that falls behind (a slow
// frame, the music being cued) goes on from where it is rather than rushing.
void Pace(int32_t recorded) {
  const int32_t now = Millisecs();
  if (have_pace) {
    const int32_t due = MillisecsBetween(pace_recorded, recorded) / speed;
    const int32_t late = MillisecsBetween(pace_real, now) - due;
    if (late < 0) {
      Delay(-late < 1000 ? -late : 1000);
      return;
    }
    if (late < 250) return;
  }
  have_pace = true;
  pace_real = now;
  pace_recorded = recorded;
}

// FNV-1a taken a 32-bit word at a time: each step is one-to-one in the word
// and in the hash so far, so one value changed anywhere always shows.
class THash {
 public:
  void Add(uint32_t v) { h_ = (h_ ^ v) * 16777619u; }
  void Add(int32_t v) { Add(static_cast<uint32_t>(v)); }
  void Add(float v) { Add(BitsAs<uint32_t>(v)); }
  void Add(const Entity& e) {
    for (float v : {e.x, e.y, e.xs, e.ys, e.angle}) Add(v);
  }
  uint32_t Value() const { return h_; }

 private:
  uint32_t h_ = 2166136261u;
};

template <class T, class F>
void HashList(THash& h, const std::shared_ptr<TList>& list, F fields) {
  h.Add(0x4C495354u);  // a list's mark: the same objects in other lists hash apart
  ForEach<T>(list, [&](const std::shared_ptr<T>& o) {
    h.Add(static_cast<const Entity&>(*o));
    fields(*o);
  });
}

}  // namespace

TCarriedState TCarriedState::Capture() {
  return {::gameTime, ::startTime, ::stage, ::lastStage, ::level, ::kills, ::health, ::gameOver,
          ::graceTimer, ::spawnDelay, ::spawnCount, ::spawnTimer, ::colorR, ::colorG, ::colorB,
          ::enemyShotSound, ::playerX, ::playerY, ::mouseXSum, ::explodeNote, ::frameGrowing,
          ::bpm, RandomSeed(), ::pulse, ::flashWhite, ::flashRed, ::frameZoomSpeed, ::beatLength};
}

void TCarriedState::Restore() const {
  ::gameTime = this->gameTime;
  ::startTime = this->startTime;
  ::stage = this->stage;
  ::lastStage = this->lastStage;
  ::level = this->level;
  ::kills = this->kills;
  ::health = this->health;
  ::gameOver = this->gameOver;
  ::graceTimer = this->graceTimer;
  ::spawnDelay = this->spawnDelay;
  ::spawnCount = this->spawnCount;
  ::spawnTimer = this->spawnTimer;
  ::colorR = this->colorR;
  ::colorG = this->colorG;
  ::colorB = this->colorB;
  ::enemyShotSound = this->enemyShotSound;
  ::playerX = this->playerX;
  ::playerY = this->playerY;
  ::mouseXSum = this->mouseXSum;
  ::explodeNote = this->explodeNote;
  ::frameGrowing = this->frameGrowing;
  ::bpm = this->bpm;
  SeedRandom(randomSeed);
  ::pulse = this->pulse;
  ::flashWhite = this->flashWhite;
  ::flashRed = this->flashRed;
  ::frameZoomSpeed = this->frameZoomSpeed;
  ::beatLength = this->beatLength;
}

uint32_t WorldHash() {
  THash h;
  TCarriedState c = TCarriedState::Capture();
  c.Each([&](auto& v) { h.Add(v); });
  h.Add(0x4C495354u);
  ForEach<TFrame>(frameList, [&](const std::shared_ptr<TFrame>& f) {
    for (float v : {f->size, f->zoomspeed, f->countdown, f->fadespeed}) h.Add(v);
    for (int32_t v : {f->getbig, f->seed, f->life, f->state}) h.Add(v);
  });
  HashList<Vihu>(h, enemyList, [&](const Vihu& v) {
    for (float f : {v.angle, v.speed, v.swingspeed, v.movingaway, v.warmup}) h.Add(f);
    for (int32_t i : {v.health, v.reload, v.reloadtime, v.movecounter, v.movefreq, v.creation,
                      v.border, v.TimeHasCome, v.size, v.startup, v.hit})
      h.Add(i);
  });
  HashList<TPlayer>(h, playerList, [&](const TPlayer& p) {
    for (float f : {p.angle, p.speed}) h.Add(f);
    for (int32_t i : {p.size, p.health, p.reload, p.reloadtime, p.alive, p.shootangle}) h.Add(i);
  });
  HashList<TBullet>(h, bulletList, [&](const TBullet& b) {
    for (float f : {b.angle, b.speed, b.phase}) h.Add(f);
    for (int32_t i : {b.damage, b.owner, b.border}) h.Add(i);
  });
  HashList<TParticle>(h, particleList, [&](const TParticle& p) {
    for (float f : {p.life, p.lifetime, p.size, p.scale, p.friction}) h.Add(f);
    for (int32_t i : {p.angle, p.turnspeed, p.color, p.style, p.big}) h.Add(i);
  });
  return h.Value();
}

// ---- the doors

int32_t GameMillisecs() {
  if (mode != Mode::kPlaying) return Kept(kQuestionClock, Millisecs());
  const int32_t recorded = Played(kQuestionClock);
  if (paced) Pace(recorded);
  return recorded;
}

int GameKeyDown(int key) {
  const int question = kQuestionKey + (key & 0xFF);
  if (mode != Mode::kPlaying) return Kept(question, KeyDown(key));
  // The loop's Escape: the recording's own, the watcher's, or the end of
  // the recording (or of its agreement with this game).
  if (key == KEY_ESCAPE && (ran_out || outcome.stopped || outcome.astrayAt != 0)) return 1;
  return Played(question);
}

int GameMouseX() {
  return mode == Mode::kPlaying ? Played(kQuestionMouseX) : Kept(kQuestionMouseX, MouseX());
}

int GameMouseDown(int button) {
  return mode == Mode::kPlaying ? Played(kQuestionMouseDown)
                                : Kept(kQuestionMouseDown, MouseDown(button));
}

TAimPoint GameAimPoint(float x, float y) {
  int32_t pointer_x, pointer_y, lean_x, lean_y;
  TAimPoint aim{};
  if (mode == Mode::kPlaying) {
    pointer_x = Played(kQuestionPointerX);
    pointer_y = Played(kQuestionPointerY);
    lean_x = Played(kQuestionLeanX);
    lean_y = Played(kQuestionLeanY);
  } else {
    aim = AimPoint(x, y);
    const bool mouse = aim.lean_x == 0 && aim.lean_y == 0;
    pointer_x = Kept(kQuestionPointerX, mouse ? static_cast<int32_t>(aim.x) : aim_pointer_x);
    pointer_y = Kept(kQuestionPointerY, mouse ? static_cast<int32_t>(aim.y) : aim_pointer_y);
    lean_x = Kept(kQuestionLeanX, aim.lean_x);
    lean_y = Kept(kQuestionLeanY, aim.lean_y);
  }
  aim_pointer_x = pointer_x, aim_pointer_y = pointer_y;
  int32_t guess_x[] = {BitsAs<int32_t>(static_cast<float>(pointer_x)), aim_x.Guess(x)};
  int32_t guess_y[] = {BitsAs<int32_t>(static_cast<float>(pointer_y)), aim_y.Guess(y)};
  if (lean_x != 0 || lean_y != 0) {
    const auto lx = static_cast<double>(lean_x), ly = static_cast<double>(lean_y);
    const double length = std::sqrt(lx * lx + ly * ly);
    guess_x[0] = BitsAs<int32_t>(static_cast<float>(x + lx / length * PAD_AIM_DISTANCE));
    guess_y[0] = BitsAs<int32_t>(static_cast<float>(y + ly / length * PAD_AIM_DISTANCE));
  }
  if (mode == Mode::kPlaying) {
    aim.x = BitsAs<float>(Played(kQuestionAimX, guess_x));
    aim.y = BitsAs<float>(Played(kQuestionAimY, guess_y));
  } else if (mode == Mode::kRecording) {
    writer->Put(kQuestionAimX, BitsAs<int32_t>(aim.x), guess_x[0], guess_x[1]);
    writer->Put(kQuestionAimY, BitsAs<int32_t>(aim.y), guess_y[0], guess_y[1]);
  }
  aim_x = {aim.x, x};
  aim_y = {aim.y, y};
  return aim;
}

// ---- the game's edges

void ReplayGameStarts() {
  frame = 0;
  aim_x = aim_y = {};
  aim_pointer_x = aim_pointer_y = 0;
  if (mode == Mode::kPlaying) return;
  mode = Mode::kRecording;
  writer = std::make_unique<TAnswerWriter>();
  recording = std::make_shared<TReplay>();
  recording->carried = TCarriedState::Capture();
}

void ReplayFrameEnds() {
  ++frame;
  if (mode == Mode::kRecording) {
    if (frame % kHashInterval == 0) recording->hashes.push_back(WorldHash());
    // F2 keeps the game from its game-over overlay on; a press before that
    // is forgotten.
    if (KeyHit(KEY_F2) && gameOver == 1) SaveLastGame();
    return;
  }
  if (mode != Mode::kPlaying) return;
  const bool due = frame % kHashInterval == 0 && frame / kHashInterval <= playing->hashes.size();
  if (outcome.astrayAt == 0 &&
      ((due && playing->hashes[frame / kHashInterval - 1] != WorldHash()) ||
       frame > playing->frames || (frame == playing->frames && playing->finalHash != WorldHash())))
    outcome.astrayAt = frame;
  if (!paced) return;
  if (KeyDown(KEY_ESCAPE)) outcome.stopped = true;
  const int32_t want = KeyDown(KEY_TAB) ? 4 : 1;
  if (want != speed) {
    speed = want;
    have_pace = false;  // from here on at the new pace
    SetFlipUnsynced(speed != 1);
  }
  // Four times as fast, one frame in four is drawn: the others would only
  // slow it down on a machine that draws slowly.
  SkipDrawing(speed != 1 && frame % 4 != 3);
}

std::shared_ptr<TReplay> LastGame() {
  if (mode != Mode::kRecording) return finished;
  auto so_far = std::make_shared<TReplay>(*recording);
  so_far->answers = writer->Snapshot();
  so_far->answerCount = writer->Count();
  so_far->frames = frame;
  so_far->kills = kills;
  so_far->level = level;
  so_far->finalHash = WorldHash();
  return so_far;
}

void ReplayGameEnds() {
  if (mode != Mode::kRecording) return;
  finished = LastGame();
  writer.reset();
  recording.reset();
  mode = Mode::kLive;
}

TReplayOutcome WatchReplay(const TReplay& replay, bool with_pace) {
  const TCarriedState own = TCarriedState::Capture();
  const std::array own_lists = {frameList, enemyList, playerList, bulletList, particleList};
  replay.carried.Restore();
  mode = Mode::kPlaying;
  playing = &replay;
  reader = std::make_unique<TAnswerReader>(replay.answers);
  outcome = {};
  paced = with_pace;
  ran_out = false;
  speed = 1;
  have_pace = false;
  PlayGame();
  outcome.frames = frame;
  outcome.kills = kills;
  outcome.level = level;
  if (outcome.astrayAt == 0 && !outcome.stopped && frame != replay.frames)
    outcome.astrayAt = frame + 1;
  SetFlipUnsynced(false);
  SkipDrawing(false);
  reader.reset();
  playing = nullptr;
  mode = Mode::kLive;
  own.Restore();
  auto list = own_lists.begin();
  for (auto* target : {&frameList, &enemyList, &playerList, &bulletList, &particleList})
    *target = *list++;
  return outcome;
}

int ReplayPlaying() { return mode == Mode::kPlaying ? 1 : 0; }
