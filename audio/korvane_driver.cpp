// The Korvane driver's sounds and channels: thin handles over the mixer's
// sample buffers and channel handles.
#include "audio/korvane_driver.h"

// The sound output's factory, as the platform's driver table names it.
#define GLOOMFALL_RENDERER(name, title, factory, flags, rank)
#define GLOOMFALL_SYSTEM_DRIVER(factory)
#define GLOOMFALL_AUDIO_OUTPUT(factory) \
  std::unique_ptr<audiodevice> factory(); \
  constexpr auto CreatePlatformAudioOutput = factory;
#include GLOOMFALL_PLATFORM_DRIVERS

mixer& KorvaneMixer() {
  // Deliberately immortal: channel objects may be released after every other
  // static is gone, and they must still find a (stopped) mixer.
  static mixer* instance = new mixer();
  return *instance;
}

void RegisterKorvaneDrivers() {
  KorvaneMixer();
  static TKorvaneAudioDriver multimedia("Korvane Multimedia", 0);
  static TKorvaneAudioDriver korvane("Korvane", -1);
}

// ---- driver ----

TKorvaneAudioDriver::TKorvaneAudioDriver(std::string name, int mode) : _name(std::move(name)), _mode(mode) {}

TKorvaneAudioDriver::TKorvaneAudioDriver(std::string name, DeviceFactory factory)
    : _name(std::move(name)), _mode(-1), factory_(std::move(factory)) {}

TKorvaneAudioDriver::~TKorvaneAudioDriver() {
  if (CurrentAudioDriver() == this) Shutdown();
}

int TKorvaneAudioDriver::Startup() {
  std::unique_ptr<audiodevice> device;
  if (factory_) {
    device = factory_();
  } else if (_mode == 0 || _mode == -1) {
    device = CreatePlatformAudioOutput();
  }
  return KorvaneMixer().start(std::move(device)) ? 1 : 0;
}

int TKorvaneAudioDriver::Shutdown() {
  KorvaneMixer().close();
  return 0;
}

std::shared_ptr<TSound> TKorvaneAudioDriver::CreateSound(const std::shared_ptr<TAudioSample>& sample, int flags) {
  if (!sample) return nullptr;
  std::shared_ptr<TAudioSample> source = sample;
  if (source->format == SF_MONO16BE) source = source->Convert(SF_MONO16LE);
  if (source->format == SF_STEREO16BE) source = source->Convert(SF_STEREO16LE);
  int channels = ChannelsPerFrame(source->format);
  if (channels == 0 || (!source->samples && source->length > 0)) return nullptr;
  int bits = BytesPerFrame(source->format) * 8 / channels;
  auto buffer = mixer::create_sound(source->length, bits, channels, source->hertz, source->samples,
                                    (flags & SOUND_LOOP) != 0);
  if (!buffer) return nullptr;
  return TKorvaneSound::CreateWithSound(std::move(buffer), sample);
}

std::shared_ptr<TChannel> TKorvaneAudioDriver::AllocChannel() {
  int32_t handle = KorvaneMixer().allocate_channel();
  if (!handle) return nullptr;
  return TKorvaneChannel::CreateWithChannel(handle);
}

// ---- sound ----

std::shared_ptr<TKorvaneSound> TKorvaneSound::CreateWithSound(std::shared_ptr<samplebuffer> kv_sound,
                                                              const std::shared_ptr<TAudioSample>&) {
  auto result = std::make_shared<TKorvaneSound>();
  result->kv_sound = std::move(kv_sound);
  return result;
}

std::shared_ptr<TChannel> TKorvaneSound::Start(const std::shared_ptr<TChannel>& channel, bool paused) {
  auto* korvane = dynamic_cast<TKorvaneChannel*>(channel.get());
  if (channel && !korvane) return nullptr;
  int32_t wanted = korvane ? korvane->kv_channel : 0;
  int32_t handle = KorvaneMixer().play(kv_sound, paused, wanted);
  if (!handle) return nullptr;
  if (korvane && handle == korvane->kv_channel) return channel;
  return TKorvaneChannel::CreateWithChannel(handle);
}

std::shared_ptr<TChannel> TKorvaneSound::Play(const std::shared_ptr<TChannel>& channel) { return Start(channel, false); }
std::shared_ptr<TChannel> TKorvaneSound::Cue(const std::shared_ptr<TChannel>& channel) { return Start(channel, true); }

// ---- channel ----

std::shared_ptr<TKorvaneChannel> TKorvaneChannel::CreateWithChannel(int32_t handle) {
  auto channel = std::make_shared<TKorvaneChannel>();
  channel->kv_channel = handle;
  return channel;
}

TKorvaneChannel::~TKorvaneChannel() {
  if (kv_channel) KorvaneMixer().free_channel(kv_channel);
}

int TKorvaneChannel::Stop() {
  if (kv_channel) KorvaneMixer().stop(kv_channel);
  kv_channel = 0;
  return 0;
}

int TKorvaneChannel::SetPaused(int paused) {
  if (kv_channel) KorvaneMixer().set_paused(kv_channel, paused != 0);
  return 0;
}

int TKorvaneChannel::SetVolume(float volume) {
  if (kv_channel) KorvaneMixer().set_volume(kv_channel, volume);
  return 0;
}

int TKorvaneChannel::SetPan(float pan) {
  if (kv_channel) KorvaneMixer().set_pan(kv_channel, pan);
  return 0;
}

int TKorvaneChannel::SetDepth(float depth) {
  if (kv_channel) KorvaneMixer().set_depth(kv_channel, depth);
  return 0;
}

int TKorvaneChannel::SetRate(float rate) {
  if (kv_channel) KorvaneMixer().set_rate(kv_channel, rate);
  return 0;
}

int TKorvaneChannel::Playing() {
  if (!kv_channel) return 0;
  int32_t status = KorvaneMixer().status(kv_channel);
  return status == VOICE_ONCE || status == VOICE_LOOPED ? 1 : 0;
}

int64_t TKorvaneChannel::Position() { return kv_channel ? KorvaneMixer().position(kv_channel) : 0; }
