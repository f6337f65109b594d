// Benchmarks for the system services the game leans on every frame: the
// random generator and walks over the world lists while they change.
#include <benchmark/benchmark.h>

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
