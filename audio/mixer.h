// The fixed-point software mixer behind the "Korvane" driver: sample buffers,
// voices, the channel-handle table and the buffer-at-a-time mixing of every
// playing voice into 44100 Hz 16-bit stereo. It knows nothing of devices
// beyond the small `audiodevice` interface that pulls mixed buffers from it.
//
// Threads: the game thread calls everything except mix(); the device's thread
// calls mix(). They meet only in two single-producer single-consumer rings and
// in the voices' atomic parameter fields. Nothing in mix() allocates, frees or
// locks; voices are recycled, and the game thread drops their sample
// references when it takes them back.
// Leans on system/clock.h (the start delay is measured on Millisecs()).
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/spsc_ring.h"

class mixer;

// The mixer's own copy of a sample's PCM, shared by the sound object that made
// it and by every voice playing it.
class samplebuffer {
 public:
  int hertz = 0;
  int channels = 0;     // 1 or 2
  int bits = 0;         // 8 (unsigned) or 16 (signed, little-endian)
  int framebytes = 0;
  int length = 0;       // frames
  int bytesize = 0;
  int writeposition = 0;
  int loop = 0;         // 0, or all bits set
  int ownedsize = 0;
  // length + 1 frames: the guard frame lets interpolation read one frame past
  // any position. int16 storage keeps the 16-bit frames aligned.
  std::unique_ptr<int16_t[]> storage;
  uint8_t* data = nullptr;
};

// Voice status values; PAUSED is or-ed onto the playing states.
enum : int32_t {
  VOICE_DEAD = 0,
  VOICE_FINISHED = 1,
  VOICE_ONCE = 2,
  VOICE_LOOPED = 4,
  VOICE_PAUSED = 0x10,
};

// One started sound (a voice). Fields the game thread may change while the
// mixer reads them are atomics; the rest belong to whichever side currently
// holds the voice, handed over by the rings.
class sound {
 public:
  std::atomic<int32_t> status{VOICE_DEAD};
  std::atomic<int32_t> autofree{0};
  std::atomic<int32_t> rate_current{0x10000}, rate_target{0x10000};
  std::atomic<int16_t> volume_current{4096}, volume_target{4096};
  std::atomic<int16_t> pan_current{0}, pan_target{0};
  std::atomic<int16_t> depth_current{0}, depth_target{0};
  std::atomic<uint64_t> totalposition{0};  // 32.32 interleaved samples, never wraps

  // Game thread.
  int32_t channel = 0;
  bool implicit = false;
  bool placeholder = false;
  std::shared_ptr<samplebuffer> sample;
  int32_t queuetime = 0;

  // Mixer thread.
  sound* next = nullptr;
  uint64_t position = 0;  // 32.32 interleaved samples, wraps when looping
  int32_t startdelay = 0;

  // A setter writes the target; while paused the audible value too, since
  // there is no buffer to ramp over (depth only ever changes its target).
  void SetRate(int32_t rate);
  void SetVolume(int16_t volume);
  void SetPan(int16_t pan);
  void SetDepth(int16_t depth);
  // which = 1 gives the target, 0 the current value.
  int32_t GetRate(int which) const;
  int16_t GetVolume(int which) const;
  int16_t GetPan(int which) const;
  int16_t GetDepth(int which) const;
  // Sample frames played since the start, every pass of a loop counted.
  int64_t Position() const;
};

// An output that pulls buffers from the mixer. open() tells the mixer its
// format with set_output() and then starts calling mix(); close() returns
// only when no mix() call is running or will run.
class audiodevice {
 public:
  virtual ~audiodevice() = default;
  virtual bool open(mixer& m) = 0;
  virtual void close() = 0;
};

class mixer {
 public:
  static constexpr int kHandles = 4096;       // channel table entries; 0 heads the free list
  static constexpr int kRingSize = 4096;
  static constexpr int kStartDelayMs = 20;
  static constexpr int kStepHertz = 44100;    // the rate step divides by this, not the output rate

  mixer();
  ~mixer();
  mixer(const mixer&) = delete;
  mixer& operator=(const mixer&) = delete;

  // Opens the device and builds the channel table; false (and the device
  // closed) when the device cannot be opened. A running mixer is closed first.
  bool start(std::unique_ptr<audiodevice> device);
  // Closes the device, then takes back every voice and frees every handle.
  void close();
  bool started() const { return started_; }

  // A buffer holding a copy of the data; none for a channel count other than
  // 1 or 2 or a bit depth other than 8 or 16. Needs no running mixer.
  static std::shared_ptr<samplebuffer> create_sound(int length, int bits, int channels, int hertz,
                                                    const void* data, bool loop);

  // Game-thread operations. All do nothing and give 0 when the mixer is not
  // started or the handle is stale.
  int32_t allocate_channel();
  void free_channel(int32_t handle);
  int32_t play(const std::shared_ptr<samplebuffer>& buffer, bool paused, int32_t handle);
  void stop(int32_t handle);
  void set_paused(int32_t handle, bool paused);
  void set_volume(int32_t handle, float volume);
  void set_pan(int32_t handle, float pan);
  void set_depth(int32_t handle, float depth);
  void set_rate(int32_t handle, float rate);
  int32_t status(int32_t handle);
  int64_t position(int32_t handle);
  // The voice attached to a handle (a placeholder if it had none), or null.
  sound* voice(int32_t handle);
  // Voices that exist, wherever they are; tests watch recycling with it.
  size_t voice_count() const { return pool_.size(); }

  // Called by the device in open(), before any mix().
  void set_output(int rate, int channels, int bufferframes);
  int output_rate() const { return outputrate_; }
  int buffer_frames() const { return buffersize_ / 2; }

  // Mixing context: mixes `frames` stereo frames into `out`, interleaved
  // left, right, one buffer (buffer_frames()) at a time.
  void mix(int16_t* out, int frames);

 private:
  struct channelentry {
    sound* voice = nullptr;
    int32_t link = 0;        // next free entry
    uint32_t generation = 4096;
    bool allocated = false;
  };
  enum class mixresult { dead, keep, finished };

  int32_t index_of_valid(int32_t handle) const;
  sound* attached_or_placeholder(int32_t handle);
  sound* obtain_voice();
  void retire_voice(sound* v);
  void release_entry(int32_t index);
  mixresult mix_voice(sound* v, int frames);

  bool started_ = false;
  std::unique_ptr<audiodevice> device_;
  channelentry table_[kHandles];
  std::vector<std::unique_ptr<sound>> pool_;  // owns every voice ever made
  std::vector<sound*> spare_;                 // game-side spares (discarded placeholders)
  TSpscRing<sound*, kRingSize> playqueue_;    // game thread -> mixer
  TSpscRing<sound*, kRingSize> freevoices_;   // mixer -> game thread

  // Mixer thread state.
  int outputrate_ = 44100;
  int outputchannels_ = 2;
  int buffersize_ = 1024;  // ints per mix
  std::vector<int32_t> accumulation_;
  sound* active_ = nullptr;
};
