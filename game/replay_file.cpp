// The replay file: a fixed little-endian layout with a CRC-32 at its end,
// the answers deflated inside it. See docs/replay.md.
#include "game/replay_file.h"

#include <zlib.h>

#include <cstring>
#include <fstream>
#include <iterator>

const char* const kGameVersion = GLOOMFALL_VERSION;

namespace {

constexpr char kMagic[8] = {'G', 'L', 'O', 'O', 'M', 'R', 'P', 'L'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kMostVersionBytes = 32;
// A frame asks at most 21 questions (the loop's Escape, the clock, the
// mouse, the player's aim, keys and button, the cross-hair's aim).
constexpr uint32_t kMostAnswersPerFrame = 32;
// An hour of busy play is well under a megabyte.
constexpr uintmax_t kMostFileBytes = 64u << 20;

// A carried value as the file keeps it: its 32 bits.
uint32_t& Raw(int32_t& v) { return reinterpret_cast<uint32_t&>(v); }
uint32_t& Raw(float& v) { return reinterpret_cast<uint32_t&>(v); }
constexpr uint32_t kCarriedCount = 28;

class TOut {
 public:
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Bytes(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
  }
  std::vector<uint8_t> bytes;
};

class TIn {
 public:
  TIn(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  bool U32(uint32_t& v) {
    if (left_ < 4) return false;
    v = static_cast<uint32_t>(p_[0]) | static_cast<uint32_t>(p_[1]) << 8 |
        static_cast<uint32_t>(p_[2]) << 16 | static_cast<uint32_t>(p_[3]) << 24;
    p_ += 4;
    left_ -= 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  const uint8_t* Take(size_t n) {
    if (left_ < n) return nullptr;
    const uint8_t* at = p_;
    p_ += n;
    left_ -= n;
    return at;
  }
  size_t Left() const { return left_; }

 private:
  const uint8_t* p_;
  size_t left_;
};

uint32_t Zigzag(int32_t delta) {
  const auto u = static_cast<uint32_t>(delta);
  return (u << 1) ^ (delta < 0 ? 0xFFFFFFFFu : 0u);
}
int32_t Unzigzag(uint32_t z) {
  return static_cast<int32_t>((z >> 1) ^ (0u - (z & 1)));
}

}  // namespace

// ---- the answer stream

TAnswerWriter::TAnswerWriter() : stream_(std::make_unique<z_stream>()), last_(kQuestionCount, 0) {
  deflateInit(stream_.get(), Z_BEST_COMPRESSION);
}

TAnswerWriter::~TAnswerWriter() { deflateEnd(stream_.get()); }

void TAnswerWriter::Put(int question, int32_t answer, int32_t guess, int32_t other_guess) {
  int32_t& last = last_[static_cast<size_t>(question)];
  uint64_t code = answer == guess         ? 0
                  : answer == other_guess ? 1
                                          : uint64_t{Zigzag(static_cast<int32_t>(
                                                static_cast<uint32_t>(answer) -
                                                static_cast<uint32_t>(last)))} + 2;
  last = answer;
  while (code >= 0x80) {
    pending_.push_back(static_cast<uint8_t>(code | 0x80));
    code >>= 7;
  }
  pending_.push_back(static_cast<uint8_t>(code));
  ++count_;
  // Deflated a few kilobytes at a time: the recording's memory is what the
  // file will hold.
  if (pending_.size() >= 4096) Deflate(Z_NO_FLUSH);
}

void TAnswerWriter::Deflate(int flush) {
  stream_->next_in = pending_.data();
  stream_->avail_in = static_cast<uInt>(pending_.size());
  uint8_t chunk[4096];
  do {
    stream_->next_out = chunk;
    stream_->avail_out = sizeof chunk;
    deflate(stream_.get(), flush);
    out_.insert(out_.end(), chunk, chunk + (sizeof chunk - stream_->avail_out));
  } while (stream_->avail_out == 0);
  pending_.clear();
}

std::vector<uint8_t> TAnswerWriter::Snapshot() const {
  z_stream copy{};
  deflateCopy(&copy, stream_.get());
  std::vector<uint8_t> pending = pending_;
  std::vector<uint8_t> out = out_;
  copy.next_in = pending.data();
  copy.avail_in = static_cast<uInt>(pending.size());
  uint8_t chunk[4096];
  int status;
  do {
    copy.next_out = chunk;
    copy.avail_out = sizeof chunk;
    status = deflate(&copy, Z_FINISH);
    out.insert(out.end(), chunk, chunk + (sizeof chunk - copy.avail_out));
  } while (status == Z_OK);
  deflateEnd(&copy);
  return out;
}

TAnswerReader::TAnswerReader(const std::vector<uint8_t>& compressed)
    : stream_(std::make_unique<z_stream>()), buffer_(4096), last_(kQuestionCount, 0) {
  inflateInit(stream_.get());
  stream_->next_in = const_cast<Bytef*>(compressed.data());
  stream_->avail_in = static_cast<uInt>(compressed.size());
}

TAnswerReader::~TAnswerReader() { inflateEnd(stream_.get()); }

bool TAnswerReader::Byte(uint8_t& byte) {
  while (pos_ == size_) {
    if (ended_ || damaged_) return false;
    stream_->next_out = buffer_.data();
    stream_->avail_out = static_cast<uInt>(buffer_.size());
    const int status = inflate(stream_.get(), Z_NO_FLUSH);
    size_ = buffer_.size() - stream_->avail_out;
    pos_ = 0;
    if (status == Z_STREAM_END) {
      ended_ = true;
    } else if (status != Z_OK) {
      damaged_ = true;  // corrupt, or the input ran out before the end
      size_ = 0;
    }
  }
  byte = buffer_[pos_++];
  return true;
}

bool TAnswerReader::Next(int question, int32_t guess, int32_t other_guess, int32_t& answer) {
  uint64_t code = 0;
  for (int shift = 0;; shift += 7) {
    uint8_t b;
    if (!Byte(b)) return false;
    code |= static_cast<uint64_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
    if (shift == 28) {
      damaged_ = true;  // longer than any answer
      return false;
    }
  }
  if (code > uint64_t{0xFFFFFFFF} + 2) {
    damaged_ = true;
    return false;
  }
  int32_t& last = last_[static_cast<size_t>(question)];
  if (code == 0) {
    last = guess;
  } else if (code == 1) {
    last = other_guess;
  } else {
    last = static_cast<int32_t>(static_cast<uint32_t>(last) +
                                static_cast<uint32_t>(Unzigzag(static_cast<uint32_t>(code - 2))));
  }
  answer = last;
  return true;
}

bool TAnswerReader::Ended() {
  uint8_t b;
  return !Byte(b) && ended_ && !damaged_ && stream_->avail_in == 0;
}

// ---- the file

std::vector<uint8_t> WriteReplay(const TReplay& replay) {
  TOut out;
  out.Bytes(kMagic, sizeof kMagic);
  out.U32(kFormatVersion);
  const std::string version = std::string(kGameVersion).substr(0, kMostVersionBytes);
  out.U32(static_cast<uint32_t>(version.size()));
  out.Bytes(version.data(), version.size());
  out.U32(kCarriedCount);
  TCarriedState carried = replay.carried;
  carried.Each([&](auto& v) { out.U32(Raw(v)); });
  out.U32(replay.frames);
  out.U32(static_cast<uint32_t>(replay.kills));
  out.U32(static_cast<uint32_t>(replay.level));
  out.U32(replay.finalHash);
  out.U32(kHashInterval);
  out.U32(static_cast<uint32_t>(replay.hashes.size()));
  for (uint32_t h : replay.hashes) out.U32(h);
  out.U32(replay.answerCount);
  out.U32(static_cast<uint32_t>(replay.answers.size()));
  out.Bytes(replay.answers.data(), replay.answers.size());
  out.U32(static_cast<uint32_t>(crc32(0, out.bytes.data(), static_cast<uInt>(out.bytes.size()))));
  return out.bytes;
}

std::shared_ptr<TReplay> ReadReplay(const std::vector<uint8_t>& bytes, std::string& problem) {
  auto fail = [&](const char* why) {
    problem = why;
    return nullptr;
  };
  if (bytes.size() < sizeof kMagic + 8 ||
      std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return fail("not a gloomfall replay");
  TIn in(bytes.data() + sizeof kMagic, bytes.size() - sizeof kMagic);
  uint32_t version = 0;
  in.U32(version);
  if (version > kFormatVersion) return fail("made by a newer gloomfall");
  if (version != kFormatVersion) return fail("not a gloomfall replay");
  // Everything after the magic and version is checked whole first.
  uint32_t stored_crc = 0;
  TIn tail(bytes.data() + bytes.size() - 4, 4);
  tail.U32(stored_crc);
  if (crc32(0, bytes.data(), static_cast<uInt>(bytes.size() - 4)) != stored_crc)
    return fail("damaged (cut short or changed)");

  auto replay = std::make_shared<TReplay>();
  uint32_t version_bytes = 0, carried_count = 0, interval = 0, hash_count = 0, packed = 0;
  if (!in.U32(version_bytes) || version_bytes > kMostVersionBytes || !in.Take(version_bytes))
    return fail("damaged (its header)");
  if (!in.U32(carried_count) || carried_count != kCarriedCount) return fail("damaged (its header)");
  bool ok = true;
  replay->carried.Each([&](auto& v) { ok = in.U32(Raw(v)) && ok; });
  ok = ok && in.U32(replay->frames) && in.I32(replay->kills) && in.I32(replay->level) &&
       in.U32(replay->finalHash) && in.U32(interval) && in.U32(hash_count);
  if (!ok || interval != kHashInterval || hash_count != replay->frames / kHashInterval ||
      hash_count > in.Left() / 4)
    return fail("damaged (its counts)");
  replay->hashes.resize(hash_count);
  for (uint32_t& h : replay->hashes) in.U32(h);
  if (!in.U32(replay->answerCount) || !in.U32(packed) || packed != in.Left() - 4 ||
      replay->answerCount > kMostAnswersPerFrame * (uint64_t{replay->frames} + 1))
    return fail("damaged (its counts)");
  const uint8_t* answers = in.Take(packed);
  replay->answers.assign(answers, answers + packed);

  // The answers are read through once, a few kilobytes at a time, so that a
  // replay never stops half way for a damaged stream.
  TAnswerReader reader(replay->answers);
  int32_t answer;
  for (uint32_t i = 0; i < replay->answerCount; ++i)
    if (!reader.Next(kQuestionClock, answer)) return fail("damaged (its answers)");
  if (!reader.Ended()) return fail("damaged (its answers)");
  return replay;
}

std::shared_ptr<TReplay> ReadReplayFile(const std::string& path, std::string& problem) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) {
    problem = "cannot be read";
    return nullptr;
  }
  const auto size = static_cast<uintmax_t>(file.tellg());
  if (size > kMostFileBytes) {
    problem = "too large for a replay";
    return nullptr;
  }
  file.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
    problem = "cannot be read";
    return nullptr;
  }
  return ReadReplay(bytes, problem);
}
