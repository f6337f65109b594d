// The "Korvane" driver: sounds and channels over the software mixer of
// audio/mixer.h, sending its output to the platform's sound output (its
// driver table, in platforms/) or, for tests, to whatever device a factory
// makes. When no device opens, Startup fails
// and the game carries on with the silent "Null" driver.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/audio.h"
#include "audio/mixer.h"

// The one mixer every Korvane driver, sound and channel talks to. It is never
// destroyed, so channel objects released at exit still find it (stopped).
mixer& KorvaneMixer();

// Makes the built-in drivers: "Korvane Multimedia" (mode 0) then "Korvane"
// (mode -1), both on the platform's output. Called once by the audio module.
void RegisterKorvaneDrivers();

class TKorvaneAudioDriver : public TAudioDriver {
 public:
  using DeviceFactory = std::function<std::unique_ptr<audiodevice>()>;

  // Mode 0 and -1 open the platform's output; 1 (DirectSound) never starts here.
  TKorvaneAudioDriver(std::string name, int mode);
  // A driver whose device comes from the factory (tests use a capture device).
  TKorvaneAudioDriver(std::string name, DeviceFactory factory);
  ~TKorvaneAudioDriver() override;

  std::string Name() override { return _name; }
  int Startup() override;
  int Shutdown() override;
  // Big-endian samples are turned little-endian first; a sample without
  // channels gives none.
  std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample, int flags) override;
  // None when all 4095 handles are in use.
  std::shared_ptr<TChannel> AllocChannel() override;

  std::string _name;
  int _mode = -1;

 private:
  DeviceFactory factory_;
};

class TKorvaneSound : public TSound {
 public:
  // Releasing the last reference frees the mixer's copy of the data (once no
  // voice plays it any more).
  std::shared_ptr<samplebuffer> kv_sound;

  static std::shared_ptr<TKorvaneSound> CreateWithSound(std::shared_ptr<samplebuffer> kv_sound,
                                                        const std::shared_ptr<TAudioSample>& sample);
  // None for a channel of another driver, or when the mixer cannot start it.
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override;
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override;

 private:
  std::shared_ptr<TChannel> Start(const std::shared_ptr<TChannel>& channel, bool paused);
};

class TKorvaneChannel : public TChannel {
 public:
  // 0 once stopped; every later operation then does nothing.
  int32_t kv_channel = 0;

  static std::shared_ptr<TKorvaneChannel> CreateWithChannel(int32_t handle);
  // Gives the handle back to the mixer; a sound still playing plays on.
  ~TKorvaneChannel() override;

  int Stop() override;
  int SetPaused(int paused) override;
  int SetVolume(float volume) override;
  int SetPan(float pan) override;
  int SetDepth(float depth) override;
  int SetRate(float rate) override;
  int Playing() override;
  // Sample frames played since the sound started, every loop pass counted.
  int64_t Position();
};
