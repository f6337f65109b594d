// The replay file (docs/replay.md) and the answer stream inside it.
// Reading never trusts the file: every count is checked against what the
// file can hold before anything is allocated, and the answers are inflated
// a few kilobytes at a time, never whole.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/replay.h"

struct z_stream_s;

// The answers as they are asked, each a varint deflated as it comes: 0 or 1
// when the answer is the first or second one guessed (by default both the
// last answer to the same question), otherwise 2 + the zigzagged difference
// from that last answer.
class TAnswerWriter {
 public:
  TAnswerWriter();
  ~TAnswerWriter();
  TAnswerWriter(const TAnswerWriter&) = delete;
  TAnswerWriter& operator=(const TAnswerWriter&) = delete;

  void Put(int question, int32_t answer, int32_t guess, int32_t other_guess);
  void Put(int question, int32_t answer) {
    Put(question, answer, last_[size_t(question)], last_[size_t(question)]);
  }
  // A whole zlib stream of everything put so far; writing can go on.
  std::vector<uint8_t> Snapshot() const;
  uint32_t Count() const { return count_; }

 private:
  void Deflate(int flush);

  std::unique_ptr<z_stream_s> stream_;
  std::vector<uint8_t> out_;
  std::vector<uint8_t> pending_;
  std::vector<int32_t> last_;
  uint32_t count_ = 0;
};

// Reads the answers back from a zlib stream.
class TAnswerReader {
 public:
  explicit TAnswerReader(const std::vector<uint8_t>& compressed);
  ~TAnswerReader();
  TAnswerReader(const TAnswerReader&) = delete;
  TAnswerReader& operator=(const TAnswerReader&) = delete;

  // The next answer, to the question the game asks now; false at the end of
  // the stream or where it is damaged.
  bool Next(int question, int32_t guess, int32_t other_guess, int32_t& answer);
  bool Next(int question, int32_t& answer) {
    return Next(question, last_[size_t(question)], last_[size_t(question)], answer);
  }
  // Whether the stream ended where it should: no damage, nothing after it.
  bool Ended();
  bool Damaged() const { return damaged_; }

 private:
  bool Byte(uint8_t& byte);

  std::unique_ptr<z_stream_s> stream_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0, size_ = 0;
  bool ended_ = false, damaged_ = false;
  std::vector<int32_t> last_;
};

// The questions a game asks; the input answers are kept per question, so
// a key held for a minute costs nothing.
enum TQuestion : int {
  kQuestionClock,
  kQuestionMouseX,
  kQuestionMouseDown,
  kQuestionAimX,
  kQuestionAimY,
  kQuestionPointerX,  // the mouse's pointer, while it aims
  kQuestionPointerY,
  kQuestionLeanX,  // a stick's lean, while one aims
  kQuestionLeanY,
  kQuestionKey,  // + the key code, 0-255
  kQuestionCount = kQuestionKey + 256,
};

// The game's version as replays name it.
extern const char* const kGameVersion;

std::vector<uint8_t> WriteReplay(const TReplay& replay);
// The replay in the bytes, or none with a line saying what is wrong.
std::shared_ptr<TReplay> ReadReplay(const std::vector<uint8_t>& bytes, std::string& problem);
// The whole file, or none with the problem; files larger than any replay
// could be are refused unread.
std::shared_ptr<TReplay> ReadReplayFile(const std::string& path, std::string& problem);
