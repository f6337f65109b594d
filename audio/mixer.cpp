// The mixer's bookkeeping on the game thread (handles, voices, play) and its
// per-buffer work on the device thread (drain, mix, convert). The inner loops
// are one template instantiated for every combination of 8/16 bits, mono or
// stereo and ramping or constant parameters, so each runs without branches on
// the sample layout.
#include "audio/mixer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "system/clock.h"

namespace {

// Float parameter to fixed point, truncated toward zero. Values beyond what
// the field holds saturate instead of wrapping, so a loud volume never turns
// into an inverted one.
int32_t ToFixed(float value, double scale, int32_t low, int32_t high) {
  double scaled = static_cast<double>(value) * scale;
  if (std::isnan(scaled)) return 0;
  if (scaled <= low) return low;
  if (scaled >= high) return high;
  return static_cast<int32_t>(scaled);
}
int16_t ToFixed12(float value) { return static_cast<int16_t>(ToFixed(value, 4096.0, INT16_MIN, INT16_MAX)); }

// Adds with two's-complement wrap: many loud voices overflow the sum rather
// than invoke undefined behaviour; the output clamp hides the difference
// for any sane load.
inline void Accumulate(int32_t& slot, int64_t value) {
  slot = static_cast<int32_t>(static_cast<uint32_t>(slot) + static_cast<uint32_t>(value));
}

// The pan law: the side away from the pan loses level, the near side keeps
// it; a negative depth mixes the right side inverted.
inline void Gains(int32_t volume, int32_t pan, bool invert, int32_t& left, int32_t& right) {
  left = pan <= 0 ? volume : (volume * (4096 - pan)) >> 12;
  right = pan >= 0 ? volume : (volume * (4096 + pan)) >> 12;
  if (invert) right = -right;
}

struct VoiceMix {
  const uint8_t* data;
  uint64_t position;
  uint64_t total;
  uint64_t end;       // length times channels, 32.32
  bool looping;
  int64_t step;       // 32.32 interleaved samples per output frame
  int64_t stepdelta;  // ramping only
  int32_t volume256;  // ramping only, volume in 1/256 units
  int32_t volumedelta;
  int32_t pan;
  bool invert;
  int32_t left, right;
};

// Mixes `frames` output frames; true when a one-shot voice reached its end.
template <int Bits, int Channels, bool Ramp>
bool MixFrames(VoiceMix& m, int32_t* acc, int frames) {
  uint64_t position = m.position;
  uint64_t total = m.total;
  int64_t step = m.step;
  int32_t volume256 = m.volume256;
  int32_t left = m.left, right = m.right;
  bool finished = false;
  for (int i = 0; i < frames; ++i) {
    // The frame position in 32.32: for stereo the interleaved position halves.
    uint64_t frame = Channels == 2 ? position >> 1 : position;
    auto index = static_cast<size_t>(frame >> 32);
    auto weight = static_cast<int64_t>((frame >> 16) & 0xffff);
    int32_t sl, sr;
    if constexpr (Bits == 16) {
      const int16_t* p = reinterpret_cast<const int16_t*>(m.data) + index * Channels;
      sl = p[0] + static_cast<int32_t>(((static_cast<int64_t>(p[Channels]) - p[0]) * weight) >> 16);
      if constexpr (Channels == 2) {
        sr = p[1] + static_cast<int32_t>(((static_cast<int64_t>(p[3]) - p[1]) * weight) >> 16);
      } else {
        sr = sl;
      }
    } else {
      const uint8_t* p = m.data + index * Channels;
      sl = p[0] * 256 + static_cast<int32_t>(((p[Channels] - p[0]) * weight) >> 8) - 0x8000;
      if constexpr (Channels == 2) {
        sr = p[1] * 256 + static_cast<int32_t>(((p[3] - p[1]) * weight) >> 8) - 0x8000;
      } else {
        sr = sl;
      }
    }
    if constexpr (Ramp) {
      Gains(volume256 >> 8, m.pan, m.invert, left, right);
      volume256 += m.volumedelta;
    }
    Accumulate(acc[i * 2], (static_cast<int64_t>(sl) * left) >> 8);
    Accumulate(acc[i * 2 + 1], (static_cast<int64_t>(sr) * right) >> 8);
    position += static_cast<uint64_t>(step);
    total += static_cast<uint64_t>(step);
    if constexpr (Ramp) step += m.stepdelta;
    if (position >= m.end) {
      if (!m.looping) {
        finished = true;
        break;
      }
      position %= m.end;
    }
  }
  m.position = position;
  m.total = total;
  return finished;
}

using MixFn = bool (*)(VoiceMix&, int32_t*, int);

// [bits is 16][stereo][ramp]
constexpr MixFn kMixers[2][2][2] = {
    {{MixFrames<8, 1, false>, MixFrames<8, 1, true>}, {MixFrames<8, 2, false>, MixFrames<8, 2, true>}},
    {{MixFrames<16, 1, false>, MixFrames<16, 1, true>}, {MixFrames<16, 2, false>, MixFrames<16, 2, true>}},
};

// The rate as a 32.32 step in interleaved samples per output frame, by way of
// the 16.16 frame step so that truncation happens where it always has.
int64_t StepFor(int32_t rate, const samplebuffer& buffer) {
  int64_t frame16 = static_cast<int64_t>(std::max(rate, 0)) * buffer.hertz / mixer::kStepHertz;
  return (frame16 * buffer.channels) << 16;
}

inline bool IsMixedNow(int32_t status) { return status == VOICE_ONCE || status == VOICE_LOOPED; }

}  // namespace

// ---- voices ----

void sound::SetRate(int32_t rate) {
  rate_target.store(rate, std::memory_order_relaxed);
  if (!IsMixedNow(status.load(std::memory_order_relaxed)) || placeholder) {
    rate_current.store(rate, std::memory_order_relaxed);
  }
}

void sound::SetVolume(int16_t volume) {
  volume_target.store(volume, std::memory_order_relaxed);
  if (!IsMixedNow(status.load(std::memory_order_relaxed)) || placeholder) {
    volume_current.store(volume, std::memory_order_relaxed);
  }
}

void sound::SetPan(int16_t pan) {
  pan_target.store(pan, std::memory_order_relaxed);
  if (!IsMixedNow(status.load(std::memory_order_relaxed)) || placeholder) {
    pan_current.store(pan, std::memory_order_relaxed);
  }
}

void sound::SetDepth(int16_t depth) { depth_target.store(depth, std::memory_order_relaxed); }

int32_t sound::GetRate(int which) const {
  return (which ? rate_target : rate_current).load(std::memory_order_relaxed);
}
int16_t sound::GetVolume(int which) const {
  return (which ? volume_target : volume_current).load(std::memory_order_relaxed);
}
int16_t sound::GetPan(int which) const { return (which ? pan_target : pan_current).load(std::memory_order_relaxed); }
int16_t sound::GetDepth(int which) const {
  return (which ? depth_target : depth_current).load(std::memory_order_relaxed);
}

int64_t sound::Position() const {
  if (!sample || sample->channels <= 0) return 0;
  auto whole = static_cast<int64_t>(totalposition.load(std::memory_order_relaxed) >> 32);
  return whole / sample->channels;
}

// ---- sample buffers ----

std::shared_ptr<samplebuffer> mixer::create_sound(int length, int bits, int channels, int hertz, const void* data,
                                                  bool loop) {
  if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || hertz <= 0 || length < 0) return nullptr;
  auto buffer = std::make_shared<samplebuffer>();
  buffer->hertz = hertz;
  buffer->channels = channels;
  buffer->bits = bits;
  buffer->framebytes = channels * std::max(bits, 8) / 8;
  int64_t bytes = static_cast<int64_t>(length) * buffer->framebytes;
  if (bytes > INT32_MAX - 8) return nullptr;
  buffer->length = length;
  buffer->bytesize = static_cast<int>(bytes);
  buffer->loop = loop ? -1 : 0;
  size_t total = static_cast<size_t>(bytes) + static_cast<size_t>(buffer->framebytes);
  buffer->storage = std::make_unique<int16_t[]>((total + 1) / 2);
  buffer->data = reinterpret_cast<uint8_t*>(buffer->storage.get());
  buffer->ownedsize = static_cast<int>(total);
  if (data && bytes > 0) std::memcpy(buffer->data, data, static_cast<size_t>(bytes));
  buffer->writeposition = length;
  // The guard frame: the first frame again when looping, else the last one.
  if (length > 0) {
    const uint8_t* source = buffer->data + (loop ? 0 : static_cast<size_t>(bytes) - buffer->framebytes);
    std::memcpy(buffer->data + bytes, source, static_cast<size_t>(buffer->framebytes));
  }
  return buffer;
}

// ---- lifecycle ----

mixer::mixer() { accumulation_.assign(static_cast<size_t>(buffersize_), 0); }

mixer::~mixer() { close(); }

bool mixer::start(std::unique_ptr<audiodevice> device) {
  if (started_) close();
  if (!device) return false;
  // Generations survive a restart, so a handle kept from an earlier run can
  // never match an entry of this one.
  for (int i = 0; i < kHandles; ++i) {
    table_[i].voice = nullptr;
    table_[i].allocated = false;
    table_[i].link = i + 1 < kHandles ? i + 1 : 0;
  }
  spare_.reserve(kRingSize);
  if (!device->open(*this)) {
    device->close();
    return false;
  }
  device_ = std::move(device);
  started_ = true;
  return true;
}

void mixer::close() {
  if (!started_) return;
  device_->close();
  device_.reset();
  // The device thread is gone: both ring ends and the active list are ours.
  sound* v;
  while (playqueue_.Pop(v)) {
  }
  while (freevoices_.Pop(v)) {
  }
  active_ = nullptr;
  for (int i = 0; i < kHandles; ++i) {
    table_[i].voice = nullptr;
    table_[i].allocated = false;
    table_[i].link = i + 1 < kHandles ? i + 1 : 0;
  }
  spare_.clear();
  pool_.clear();
  std::fill(accumulation_.begin(), accumulation_.end(), 0);
  started_ = false;
}

void mixer::set_output(int rate, int channels, int bufferframes) {
  outputrate_ = rate;
  outputchannels_ = channels;
  buffersize_ = bufferframes * 2;
  accumulation_.assign(static_cast<size_t>(buffersize_), 0);
}

// ---- handles ----

int32_t mixer::index_of_valid(int32_t handle) const {
  auto bits = static_cast<uint32_t>(handle);
  uint32_t index = bits & (kHandles - 1);
  if (index == 0) return 0;
  const channelentry& entry = table_[index];
  if (!entry.allocated || entry.generation != (bits & ~static_cast<uint32_t>(kHandles - 1))) return 0;
  return static_cast<int32_t>(index);
}

int32_t mixer::allocate_channel() {
  if (!started_) return 0;
  int32_t index = table_[0].link;
  if (index == 0) return 0;
  channelentry& entry = table_[index];
  table_[0].link = entry.link;
  entry.generation += kHandles;
  entry.allocated = true;
  entry.voice = nullptr;
  return static_cast<int32_t>(static_cast<uint32_t>(index) | entry.generation);
}

void mixer::release_entry(int32_t index) {
  channelentry& entry = table_[index];
  entry.voice = nullptr;
  entry.allocated = false;
  entry.link = table_[0].link;
  table_[0].link = index;
}

namespace {
// Finished unless already dead; the release pairs with the mixer's acquire of
// the status so it also sees the auto-free flag stored before.
void MarkFinished(sound* v) {
  int32_t status = v->status.load(std::memory_order_relaxed);
  while (status != VOICE_DEAD &&
         !v->status.compare_exchange_weak(status, VOICE_FINISHED, std::memory_order_release,
                                          std::memory_order_relaxed)) {
  }
}
}  // namespace

void mixer::free_channel(int32_t handle) {
  if (!started_) return;
  int32_t index = index_of_valid(handle);
  if (!index) return;
  sound* v = table_[index].voice;
  if (v) {
    if (v->placeholder) {
      v->placeholder = false;
      v->channel = 0;
      spare_.push_back(v);
    } else {
      // Detached, it plays on to its end and is then recycled; a paused one
      // has no channel left to resume it, so it ends here.
      v->autofree.store(1, std::memory_order_release);
      if (v->status.load(std::memory_order_relaxed) & VOICE_PAUSED) MarkFinished(v);
    }
  }
  release_entry(index);
}

// ---- voices on the game thread ----

void mixer::retire_voice(sound* v) {
  if (v->channel) {
    int32_t index = index_of_valid(v->channel);
    if (index && table_[index].voice == v) {
      if (v->implicit) {
        release_entry(index);
      } else {
        table_[index].voice = nullptr;
      }
    }
  }
  v->sample.reset();
  v->channel = 0;
  v->implicit = false;
}

sound* mixer::obtain_voice() {
  sound* v = nullptr;
  if (freevoices_.Pop(v)) {
    retire_voice(v);
    return v;
  }
  if (!spare_.empty()) {
    v = spare_.back();
    spare_.pop_back();
    return v;
  }
  pool_.push_back(std::make_unique<sound>());
  return pool_.back().get();
}

namespace {
void ResetParameters(sound* v) {
  v->rate_current.store(0x10000, std::memory_order_relaxed);
  v->rate_target.store(0x10000, std::memory_order_relaxed);
  v->volume_current.store(4096, std::memory_order_relaxed);
  v->volume_target.store(4096, std::memory_order_relaxed);
  v->pan_current.store(0, std::memory_order_relaxed);
  v->pan_target.store(0, std::memory_order_relaxed);
  v->depth_current.store(0, std::memory_order_relaxed);
  v->depth_target.store(0, std::memory_order_relaxed);
}

void CopyParameters(sound* to, const sound* from) {
  to->rate_current.store(from->GetRate(0), std::memory_order_relaxed);
  to->rate_target.store(from->GetRate(1), std::memory_order_relaxed);
  to->volume_current.store(from->GetVolume(0), std::memory_order_relaxed);
  to->volume_target.store(from->GetVolume(1), std::memory_order_relaxed);
  to->pan_current.store(from->GetPan(0), std::memory_order_relaxed);
  to->pan_target.store(from->GetPan(1), std::memory_order_relaxed);
  to->depth_current.store(from->GetDepth(0), std::memory_order_relaxed);
  to->depth_target.store(from->GetDepth(1), std::memory_order_relaxed);
}

}  // namespace

sound* mixer::attached_or_placeholder(int32_t handle) {
  int32_t index = index_of_valid(handle);
  if (!index) return nullptr;
  if (!table_[index].voice) {
    sound* v = obtain_voice();
    // obtain_voice() only ever releases handles whose entry points at the
    // voice it took back, so this entry is still ours.
    ResetParameters(v);
    v->status.store(VOICE_DEAD, std::memory_order_relaxed);
    v->autofree.store(0, std::memory_order_relaxed);
    v->placeholder = true;
    v->channel = handle;
    table_[index].voice = v;
  }
  return table_[index].voice;
}

sound* mixer::voice(int32_t handle) {
  if (!started_) return nullptr;
  return attached_or_placeholder(handle);
}

int32_t mixer::play(const std::shared_ptr<samplebuffer>& buffer, bool paused, int32_t handle) {
  if (!started_ || !buffer) return 0;
  // Take the voice first: giving back a spent voice can release the very
  // implicit handle the caller passed, which then counts as no handle.
  sound* v = obtain_voice();
  int32_t index = handle ? index_of_valid(handle) : 0;
  sound* previous = index ? table_[index].voice : nullptr;
  bool implicit = false;
  if (!index) {
    handle = allocate_channel();
    implicit = true;
    index = handle ? index_of_valid(handle) : 0;
  }
  if (previous) {
    CopyParameters(v, previous);
  } else {
    ResetParameters(v);
  }
  v->status.store((buffer->loop ? VOICE_LOOPED : VOICE_ONCE) | (paused ? VOICE_PAUSED : 0), std::memory_order_relaxed);
  v->autofree.store(implicit ? 1 : 0, std::memory_order_relaxed);
  v->sample = buffer;
  v->position = 0;
  v->totalposition.store(0, std::memory_order_relaxed);
  v->queuetime = Millisecs();
  v->startdelay = 0;
  v->next = nullptr;
  v->channel = handle;
  v->implicit = implicit;
  v->placeholder = false;
  if (!playqueue_.Push(v)) {
    // The mixer has stopped draining; drop this play rather than block.
    v->sample.reset();
    v->status.store(VOICE_DEAD, std::memory_order_relaxed);
    v->channel = 0;
    spare_.push_back(v);
    if (implicit && index) release_entry(index);
    return 0;
  }
  if (previous) {
    if (previous->placeholder) {
      previous->placeholder = false;
      previous->channel = 0;
      spare_.push_back(previous);
    } else {
      previous->autofree.store(1, std::memory_order_relaxed);
      MarkFinished(previous);
    }
  }
  if (index) table_[index].voice = v;
  return handle;
}

void mixer::stop(int32_t handle) {
  if (!started_) return;
  int32_t index = index_of_valid(handle);
  if (!index) return;
  sound* v = table_[index].voice;
  if (v && !v->placeholder) {
    v->autofree.store(1, std::memory_order_relaxed);
    MarkFinished(v);
  }
  free_channel(handle);
}

void mixer::set_paused(int32_t handle, bool paused) {
  sound* v = voice(handle);
  if (!v) return;
  if (paused) {
    v->status.fetch_or(VOICE_PAUSED, std::memory_order_release);
  } else {
    v->status.fetch_and(~VOICE_PAUSED, std::memory_order_release);
  }
}

void mixer::set_volume(int32_t handle, float volume) {
  if (sound* v = voice(handle)) v->SetVolume(ToFixed12(volume));
}
void mixer::set_pan(int32_t handle, float pan) {
  if (sound* v = voice(handle)) v->SetPan(ToFixed12(pan));
}
void mixer::set_depth(int32_t handle, float depth) {
  if (sound* v = voice(handle)) v->SetDepth(ToFixed12(depth));
}
void mixer::set_rate(int32_t handle, float rate) {
  if (sound* v = voice(handle)) v->SetRate(ToFixed(rate, 65536.0, INT32_MIN, INT32_MAX));
}

int32_t mixer::status(int32_t handle) {
  sound* v = voice(handle);
  return v ? v->status.load(std::memory_order_acquire) : 0;
}

int64_t mixer::position(int32_t handle) {
  sound* v = voice(handle);
  return v ? v->Position() : 0;
}

// ---- mixing context ----

mixer::mixresult mixer::mix_voice(sound* v, int frames) {
  int32_t status = v->status.load(std::memory_order_acquire);
  if (status == VOICE_FINISHED) return mixresult::finished;
  if (status & VOICE_PAUSED) return mixresult::keep;
  if (status == VOICE_DEAD) return mixresult::dead;
  if (v->startdelay >= frames) {
    v->startdelay -= frames;
    return mixresult::keep;
  }
  int start = v->startdelay;
  v->startdelay = 0;
  int count = frames - start;
  const samplebuffer& buffer = *v->sample;
  if (buffer.length <= 0) return mixresult::finished;

  VoiceMix m{};
  m.data = buffer.data;
  m.position = v->position;
  m.total = v->totalposition.load(std::memory_order_relaxed);
  m.end = (static_cast<uint64_t>(buffer.length) * static_cast<uint64_t>(buffer.channels)) << 32;
  m.looping = status == VOICE_LOOPED;
  int32_t rate = v->rate_current.load(std::memory_order_relaxed);
  int32_t rate_target = v->rate_target.load(std::memory_order_relaxed);
  int32_t volume = v->volume_current.load(std::memory_order_relaxed);
  int32_t volume_target = v->volume_target.load(std::memory_order_relaxed);
  m.pan = v->pan_target.load(std::memory_order_relaxed);
  m.invert = v->depth_target.load(std::memory_order_relaxed) < 0;
  m.step = StepFor(rate, buffer);
  int32_t* acc = accumulation_.data() + static_cast<size_t>(start) * 2;
  bool ramp = rate != rate_target || volume != volume_target;
  bool finished;
  if (ramp) {
    // Both glide linearly across the frames mixed now and land on target.
    m.stepdelta = (StepFor(rate_target, buffer) - m.step) / count;
    m.volume256 = volume * 256;
    m.volumedelta = ((volume_target - volume) * 256) / count;
    finished = kMixers[buffer.bits == 16][buffer.channels == 2][1](m, acc, count);
    v->rate_current.store(rate_target, std::memory_order_relaxed);
    v->volume_current.store(static_cast<int16_t>(volume_target), std::memory_order_relaxed);
  } else if (volume == 0) {
    // Silent: keep time without touching the data.
    uint64_t advance = static_cast<uint64_t>(m.step) * static_cast<uint64_t>(count);
    m.position += advance;
    m.total += advance;
    finished = false;
    if (m.position >= m.end) {
      if (m.looping) {
        m.position %= m.end;
      } else {
        finished = true;
      }
    }
  } else {
    Gains(volume, m.pan, m.invert, m.left, m.right);
    finished = kMixers[buffer.bits == 16][buffer.channels == 2][0](m, acc, count);
  }
  v->position = m.position;
  v->totalposition.store(m.total, std::memory_order_relaxed);
  return finished ? mixresult::finished : mixresult::keep;
}

void mixer::mix(int16_t* out, int frames) {
  // A request larger than the buffer is served a buffer at a time.
  while (frames > buffer_frames()) {
    mix(out, buffer_frames());
    out += static_cast<size_t>(buffer_frames()) * 2;
    frames -= buffer_frames();
  }
  if (frames <= 0) return;
  int32_t now = Millisecs();
  sound* v;
  while (playqueue_.Pop(v)) {
    // Every sound starts 20 ms after its play call, however the buffers fall.
    int32_t due = MillisecsBetween(now, MillisecsAfter(v->queuetime, kStartDelayMs));
    if (due < 0) due = 0;
    v->startdelay = static_cast<int32_t>(static_cast<int64_t>(due) * outputrate_ / 1000);
    v->next = active_;
    active_ = v;
  }
  sound** link = &active_;
  while ((v = *link) != nullptr) {
    mixresult result = mix_voice(v, frames);
    bool recycle = result == mixresult::dead;
    if (result == mixresult::finished) {
      if (v->autofree.load(std::memory_order_acquire)) {
        v->status.store(VOICE_DEAD, std::memory_order_release);
        recycle = true;
      } else {
        v->status.store(VOICE_FINISHED, std::memory_order_release);
      }
    }
    if (recycle) {
      // Unlink before the push: once in the ring the voice is the game's.
      sound* next = v->next;
      v->next = nullptr;
      if (freevoices_.Push(v)) {
        *link = next;
        continue;
      }
      // A full ring leaves the voice in the list as dead; it goes next time.
      v->next = next;
    }
    link = &v->next;
  }
  int32_t* acc = accumulation_.data();
  for (int i = 0; i < frames * 2; ++i) {
    out[i] = static_cast<int16_t>(std::clamp(acc[i] >> 4, -32768, 32767));
    acc[i] = 0;
  }
}
