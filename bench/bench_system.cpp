// Benchmarks for the system services the game leans on every frame: the
// random generator, the degree trigonometry and walks over the world lists
// while they change.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "system/list.h"
#include "system/random.h"
#include "system/stream.h"

namespace {

struct Particle : TObject {
  int life = 0;
};

void BM_RandomInt(benchmark::State& state) {
  SeedRandom(kInitialRandomSeed);
  for (auto _ : state) benchmark::DoNotOptimize(RandomInt(255, 1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RandomInt);

void BM_RandomFloat(benchmark::State& state) {
  SeedRandom(kInitialRandomSeed);
  for (auto _ : state) benchmark::DoNotOptimize(RandomFloat(360, 0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RandomFloat);

// The portable degree functions against the platform's own on the same
// arguments: angles as the game makes them (whole degrees of the aim,
// fractions of the clock) and screen vectors for the arc tangent.
constexpr int kArguments = 4096;
std::vector<double> Arguments(double low, double high) {
  SeedRandom(kInitialRandomSeed);
  std::vector<double> a(kArguments);
  for (int i = 0; i < kArguments; ++i) a[i] = i % 2 ? RandomInt(0, 360) : RandomFloat(low, high);
  return a;
}
template <double (*F)(double, double), int kLow, int kHigh>
void BM_Degrees(benchmark::State& state) {
  const std::vector<double> y = Arguments(kLow, kHigh), x = Arguments(kLow * 4 / 3.0, kHigh * 4 / 3.0);
  for (int i = 0; auto _ : state) benchmark::DoNotOptimize(F(y[i % kArguments], x[(i + 1) % kArguments])), ++i;
  state.SetItemsProcessed(state.iterations());
}
double OurSinDeg(double degrees, double) { return SinDeg(degrees); }
double PlatformSinDeg(double degrees, double) { return std::sin(degrees * (kPi / 180.0)); }
double PlatformATan2Deg(double y, double x) { return std::atan2(y, x) * (180.0 / kPi); }
BENCHMARK(BM_Degrees<OurSinDeg, 0, 6250>)->Name("BM_SinDeg");
BENCHMARK(BM_Degrees<PlatformSinDeg, 0, 6250>)->Name("BM_SinDeg_Platform");
BENCHMARK(BM_Degrees<ATan2Deg, -600, 600>)->Name("BM_ATan2Deg");
BENCHMARK(BM_Degrees<PlatformATan2Deg, -600, 600>)->Name("BM_ATan2Deg_Platform");

void Fill(TList& list, int count) {
  for (int i = 0; i < count; ++i) {
    auto particle = std::make_shared<Particle>();
    particle->life = i;
    list.AddLast(particle);
  }
}

// The particle pass: every object is visited, every other one dies and
// removes itself from the list during the walk.
void BM_ListWalkWithRemovals(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    TList list;
    Fill(list, count);
    state.ResumeTiming();
    for (const auto& particle : list.Each<Particle>()) {
      if (particle->life % 2 == 0) list.Remove(particle);
    }
    benchmark::DoNotOptimize(list.IsEmpty());
    state.PauseTiming();  // the list's teardown is not part of the walk
    list.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListWalkWithRemovals)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The same walk with the cursor removing via the link's own Remove, which
// avoids the search of Remove(value); shows what the search costs.
void BM_ListWalkRemovingFirst(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    TList list;
    Fill(list, count);
    state.ResumeTiming();
    for (const auto& particle : list) {
      list.RemoveFirst();
      benchmark::DoNotOptimize(particle);
    }
    state.PauseTiming();
    list.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListWalkRemovingFirst)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ListWalkReadOnly(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TList list;
  Fill(list, count);
  for (auto _ : state) {
    int sum = 0;
    for (const auto& particle : list.Each<Particle>()) sum += particle->life;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ListWalkReadOnly)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_StreamReadInt(benchmark::State& state) {
  auto stream = CreateMemoryStream(std::vector<uint8_t>(1 << 16, 7));
  for (auto _ : state) {
    if (stream->Eof()) stream->Seek(0);
    benchmark::DoNotOptimize(stream->ReadInt());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StreamReadInt);

}  // namespace
