// The base sound, channel and "Null" driver, the driver registry and the free
// functions. The registry is filled on first use: "Null" first, then the
// mixer drivers, so "Korvane" is found before the others. The current driver
// is shut down at exit, before any static object it might still touch goes.
#include "audio/audio.h"

#include <cstdlib>

#include "audio/korvane_driver.h"
#include "system/background.h"
#include "system/stream.h"

namespace {
TAudioDriver* g_current = nullptr;
TAudioDriver* g_null = nullptr;
bool g_module_starting = false;

void StartAudioModule() {
  if (g_module_starting) return;
  g_module_starting = true;
  static TAudioDriver null_driver;
  g_null = &null_driver;
  RegisterKorvaneDrivers();
  std::atexit(ShutdownAudioDriver);
}

bool SameNameAZ(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}
}  // namespace

// ---- channels and sounds ----

int TChannel::Stop() { return 0; }
int TChannel::SetPaused(int) { return 0; }
int TChannel::SetVolume(float) { return 0; }
int TChannel::SetPan(float) { return 0; }
int TChannel::SetDepth(float) { return 0; }
int TChannel::SetRate(float) { return 0; }
int TChannel::Playing() { return 0; }

std::shared_ptr<TChannel> TSound::Play(const std::shared_ptr<TChannel>&) { return std::make_shared<TChannel>(); }
std::shared_ptr<TChannel> TSound::Cue(const std::shared_ptr<TChannel>&) { return std::make_shared<TChannel>(); }

std::shared_ptr<TSound> TSound::Load(const TAudioUrl& url, int flags) {
  auto sample = std::dynamic_pointer_cast<TAudioSample>(url.object);
  if (!sample) sample = LoadAudioSample(url);
  if (!sample) return nullptr;
  return AudioDriver().CreateSound(sample, flags);
}

// ---- drivers ----

// Built-in drivers first, so one made by hand (a test's) is found before them.
TAudioDriver::TAudioDriver() : TRegistered<TAudioDriver>(StartAudioModule) {}

TAudioDriver::~TAudioDriver() {
  if (g_current == this) g_current = this == g_null ? nullptr : g_null;
  if (g_null == this) g_null = nullptr;
}

std::string TAudioDriver::Name() { return "Null"; }
int TAudioDriver::Startup() { return 1; }
int TAudioDriver::Shutdown() { return 0; }
std::shared_ptr<TSound> TAudioDriver::CreateSound(const std::shared_ptr<TAudioSample>&, int) {
  return std::make_shared<TSound>();
}
std::shared_ptr<TChannel> TAudioDriver::AllocChannel() { return std::make_shared<TChannel>(); }
std::shared_ptr<TSound> TAudioDriver::LoadSound(const TAudioUrl& url, int flags) { return TSound::Load(url, flags); }

TAudioDriver& AudioDriver() {
  StartAudioModule();
  if (!g_current && !SetAudioDriver("Korvane")) SetAudioDriver("Null");
  return g_current ? *g_current : *g_null;
}

int SetAudioDriver(const std::string& name) {
  StartAudioModule();
  if (g_current) g_current->Shutdown();
  g_current = g_null;
  for (TAudioDriver* driver = TAudioDriver::First(); driver; driver = driver->Next()) {
    if (!SameNameAZ(driver->Name(), name)) continue;
    if (!driver->Startup()) return 0;
    g_current = driver;
    return 1;
  }
  return 0;
}

std::vector<std::string> AudioDrivers() {
  StartAudioModule();
  std::vector<std::string> names;
  for (TAudioDriver* driver = TAudioDriver::First(); driver && names.size() < 100; driver = driver->Next()) {
    names.push_back(driver->Name());
  }
  return names;
}

int AudioDriverExists(const std::string& name) {
  StartAudioModule();
  for (TAudioDriver* driver = TAudioDriver::First(); driver; driver = driver->Next()) {
    if (SameNameAZ(driver->Name(), name)) return 1;
  }
  return 0;
}

TAudioDriver* CurrentAudioDriver() { return g_current; }

void ShutdownAudioDriver() {
  StopBackgroundSounds();
  if (g_current) g_current->Shutdown();
  g_current = nullptr;
}

// ---- sounds decoded in the background ----

namespace {
// The decoding of one file, a slice at a time; a file still on its way is
// waited for, and opened once it is here.
class TDecodingJob : public TBackgroundJob {
 public:
  TDecodingJob(TAudioUrl url, std::unique_ptr<TAudioSampleDecoding> decoding)
      : url_(std::move(url)), decoding_(std::move(decoding)) {}
  Slice Step() override {
    if (!decoding_) {
      if (FileArriving(url_.path)) return Slice::kWaiting;
      decoding_ = StartLoadingAudioSample(url_);
      if (!decoding_) return Slice::kDone;
    }
    if (!decoding_->Step()) return Slice::kMore;
    sample = decoding_->Result();
    decoding_.reset();
    return Slice::kDone;
  }
  std::shared_ptr<TAudioSample> sample;

 private:
  TAudioUrl url_;
  std::unique_ptr<TAudioSampleDecoding> decoding_;
};

// The sample comes from the background; the sound is made from it on the
// game's thread, by the driver current then, when it is first asked for.
class TBackgroundSound : public TSound {
 public:
  TBackgroundSound(std::shared_ptr<TDecodingJob> job, int flags)
      : job_(job), work_(RunInBackground(std::move(job))), flags_(flags) {}
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override {
    TSound* sound = Ready();
    return sound ? sound->Play(channel) : nullptr;
  }
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override {
    TSound* sound = Ready();
    return sound ? sound->Cue(channel) : nullptr;
  }
  void Stop() {
    if (work_) work_->Stop();
  }

 private:
  TSound* Ready() {
    if (work_) {
      auto work = std::move(work_);
      work->Finish();
      if (job_->sample) sound_ = AudioDriver().CreateSound(job_->sample, flags_);
      job_.reset();
    }
    return sound_.get();
  }
  std::shared_ptr<TDecodingJob> job_;
  std::shared_ptr<TBackgroundWork> work_;
  int flags_;
  std::shared_ptr<TSound> sound_;
};

std::vector<std::weak_ptr<TBackgroundSound>> g_background;
}  // namespace

std::shared_ptr<TSound> LoadSoundInBackground(const TAudioUrl& url, int flags) {
  if (std::dynamic_pointer_cast<TAudioSample>(url.object)) return LoadSound(url, flags);
  // A file that is here is opened at once, so that one that cannot be is
  // none at once.
  std::unique_ptr<TAudioSampleDecoding> decoding;
  if (url.object || !FileArriving(url.path)) {
    decoding = StartLoadingAudioSample(url);
    if (!decoding) return nullptr;
  }
  auto sound = std::make_shared<TBackgroundSound>(std::make_shared<TDecodingJob>(url, std::move(decoding)), flags);
  std::erase_if(g_background, [](const auto& pending) { return pending.expired(); });
  g_background.push_back(sound);
  return sound;
}

void StopBackgroundSounds() {
  for (const auto& pending : g_background) {
    if (auto sound = pending.lock()) sound->Stop();
  }
  g_background.clear();
}

// ---- free functions ----

std::shared_ptr<TSound> LoadSound(const TAudioUrl& url, int flags) { return AudioDriver().LoadSound(url, flags); }

std::shared_ptr<TChannel> PlaySound(const std::shared_ptr<TSound>& sound, const std::shared_ptr<TChannel>& channel) {
  return sound ? sound->Play(channel) : nullptr;
}

std::shared_ptr<TChannel> CueSound(const std::shared_ptr<TSound>& sound, const std::shared_ptr<TChannel>& channel) {
  return sound ? sound->Cue(channel) : nullptr;
}

std::shared_ptr<TChannel> AllocChannel() { return AudioDriver().AllocChannel(); }

void StopChannel(const std::shared_ptr<TChannel>& channel) {
  if (channel) channel->Stop();
}
void PauseChannel(const std::shared_ptr<TChannel>& channel) {
  if (channel) channel->SetPaused(1);
}
void ResumeChannel(const std::shared_ptr<TChannel>& channel) {
  if (channel) channel->SetPaused(0);
}
void SetChannelVolume(const std::shared_ptr<TChannel>& channel, float volume) {
  if (channel) channel->SetVolume(volume);
}
void SetChannelPan(const std::shared_ptr<TChannel>& channel, float pan) {
  if (channel) channel->SetPan(pan);
}
void SetChannelDepth(const std::shared_ptr<TChannel>& channel, float depth) {
  if (channel) channel->SetDepth(depth);
}
void SetChannelRate(const std::shared_ptr<TChannel>& channel, float rate) {
  if (channel) channel->SetRate(rate);
}
int ChannelPlaying(const std::shared_ptr<TChannel>& channel) { return channel ? channel->Playing() : 0; }
