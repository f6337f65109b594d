// The sound interface the game calls: sounds, channels, the replaceable audio
// driver with its registry, and the free functions that act on the current
// driver. Nothing here knows how sound is made; the "Korvane" software mixer
// (audio/korvane_driver.h) is the driver normally chosen.
// Leans on audio/sample_loader.h for decoding.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_sample.h"
#include "audio/sample_loader.h"
#include "system/registry.h"

// Sound flag: the sound loops.
constexpr int SOUND_LOOP = 1;

// Something that plays one sound at a time. The base channel does nothing and
// every operation gives 0.
class TChannel : public TObject {
 public:
  virtual int Stop();
  virtual int SetPaused(int paused);
  virtual int SetVolume(float volume);  // 1.0 full, 0 silent
  virtual int SetPan(float pan);        // -1.0 left, 0 centre, 1.0 right
  virtual int SetDepth(float depth);    // only the sign is heard
  virtual int SetRate(float rate);      // 1.0 the sample's own rate, 2.0 an octave up
  virtual int Playing();                // 1 while started, not finished and not paused
};

// A loaded sound; immutable. The base sound is silent and its Play and Cue
// give a base channel.
class TSound : public TObject {
 public:
  // channel may be none: the sound then gets a channel of its own.
  virtual std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel);
  virtual std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel);

  // A sample given as the url is used as it is; anything else is decoded
  // with LoadAudioSample(). None when there is no sample.
  static std::shared_ptr<TSound> Load(const TAudioUrl& url, int flags);
};

// An audio back end. Each driver links itself in front of the program-wide
// registry when constructed (and unlinks itself when destroyed), so the
// newest is found first. The base driver is the silent "Null" driver.
class TAudioDriver : public TObject, public TRegistered<TAudioDriver> {
 public:
  TAudioDriver();
  ~TAudioDriver() override;

  virtual std::string Name();
  virtual int Startup();   // 1 on success
  virtual int Shutdown();
  virtual std::shared_ptr<TSound> CreateSound(const std::shared_ptr<TAudioSample>& sample, int flags);
  virtual std::shared_ptr<TChannel> AllocChannel();
  virtual std::shared_ptr<TSound> LoadSound(const TAudioUrl& url, int flags);
};

// The current driver, chosen on first use: "Korvane", or "Null" when that
// cannot start.
TAudioDriver& AudioDriver();
// Shuts the current driver down and starts the first registered driver with
// that name (A-Z compared without case). 1 on success; otherwise 0 and the
// "Null" driver is current.
int SetAudioDriver(const std::string& name);
// Names of the registered drivers, newest first, at most 100.
std::vector<std::string> AudioDrivers();
int AudioDriverExists(const std::string& name);

std::shared_ptr<TSound> LoadSound(const TAudioUrl& url, int flags = 0);
// LoadSound with the decoding handed to the background (system/background.h),
// for a sound that is not needed at once: the handle comes at once (none only
// when the file cannot be opened; a file still on its way is opened when it
// is here), and the first Play or Cue finishes the decoding first, waiting
// for the file if it must. A file that does not decode, or never comes,
// then plays nothing and gives none, as a sound that did not load does.
std::shared_ptr<TSound> LoadSoundInBackground(const TAudioUrl& url, int flags = 0);
// Stops the decoding of every sound still decoding in the background, before
// anything it leans on goes (the driver's shutdown does so); one played after
// that decodes the rest there and then.
void StopBackgroundSounds();
// A missing sound (a file that did not load) plays nothing and gives none.
std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound,
                                    const std::shared_ptr<TChannel>& channel = nullptr);
std::shared_ptr<TChannel> CueSound(const std::shared_ptr<TSound>& sound,
                                   const std::shared_ptr<TChannel>& channel = nullptr);
std::shared_ptr<TChannel> AllocChannel();
// The channel functions do nothing (and give 0) for a missing channel.
void StopChannel(const std::shared_ptr<TChannel>& channel);
void PauseChannel(const std::shared_ptr<TChannel>& channel);
void ResumeChannel(const std::shared_ptr<TChannel>& channel);
void SetChannelVolume(const std::shared_ptr<TChannel>& channel, float volume);
void SetChannelPan(const std::shared_ptr<TChannel>& channel, float pan);
void SetChannelDepth(const std::shared_ptr<TChannel>& channel, float depth);
void SetChannelRate(const std::shared_ptr<TChannel>& channel, float rate);
int ChannelPlaying(const std::shared_ptr<TChannel>& channel);

// The current driver if one has been chosen, else null; starts nothing.
TAudioDriver* CurrentAudioDriver();
// Shuts the current driver down and forgets it; the next sound call chooses
// again. Runs by itself at program exit.
void ShutdownAudioDriver();
