// Timings of the hot paths on the real data package: run with
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKIRPO_BENCH=ON -DKIRPO_TESTS=OFF
//   cmake --build build/bench -j2 && build/bench/bench/kirpo_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>

#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameFrame.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "shell/Replay.h"

// Every allocation of the process is counted, so a benchmark can show what its loop allocates.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace
void* operator new(std::size_t n) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kirpo {
namespace {

// Allocations per iteration of the loop, as a counter beside its timing.
class AllocationCount {
 public:
  explicit AllocationCount(benchmark::State& state) : state_(state), start_(g_allocations.load()) {}
  ~AllocationCount() {
    state_.counters["allocs"] = benchmark::Counter(static_cast<double>(g_allocations.load() - start_),
                                                   benchmark::Counter::kAvgIterations);
  }

 private:
  benchmark::State& state_;
  long start_;
};

namespace fs = std::filesystem;

// The data package's files copied into a scratch data folder, with the image store built once.
const std::string& DataDir() {
  static std::string dir = [] {
    const fs::path d = fs::temp_directory_path() / ("kirpo-bench-" + std::to_string(::getpid()));
    fs::create_directories(d);
    for (const auto& e : fs::directory_iterator(fs::path(KIRPO_SOURCE_DIR) / "assets"))
      fs::copy_file(e.path(), d / e.path().filename(), fs::copy_options::overwrite_existing);
    return d.string() + "/";
  }();
  return dir;
}

int BusiestLevel() {
  const char* env = std::getenv("KIRPO_BENCH_LEVEL");
  return env ? std::atoi(env) : 1;
}

struct World {
  ManualClock clock{1000};
  std::unique_ptr<Game> g;
  World() {
    SetGameClock(&clock);
    g = std::make_unique<Game>(DataDir());
    g->figures.LoadMovieList();
    g->figures.BuildingImageStore = true;
    g->st.Demomode = false;
    g->st.Difficulty = 2;  // every monster of the level
    g->st.StartLevel = BusiestLevel();
    g->st.GameRunning = true;
    g->st.AppStartedAt = 1;
    NewGame(*g, 1);
    // The runner on the field, the level clock running.
    for (int i = 0; i < 400; ++i) {
      clock.Advance(16);
      g->timers.IdleHandler();
    }
  }
  ~World() { SetGameClock(nullptr); }
};

void BM_UpdatePass(benchmark::State& state) {
  World w;
  AllocationCount allocs(state);
  for (auto _ : state) {
    w.clock.Advance(16);
    w.g->st.LastUpdateAt = 0;
    UpdatePass(*w.g);
  }
}
BENCHMARK(BM_UpdatePass);

void BM_FullFrame1920x1200(benchmark::State& state) {
  World w;
  std::unique_ptr<Host> host = CreateOffscreenHost(1920, 1200);
  Game& g = *w.g;
  g.PboxOpacity = 1;
  g.PboxWidth = 1920, g.PboxHeight = 1200;
  g.ScaleX = g.ScaleY = g.FitScaleX = g.FitScaleY = 1;
  AllocationCount allocs(state);
  for (auto _ : state) {
    w.clock.Advance(16);
    g.PaintCanvas = &host->GetCanvas();
    GameAction(g);
    g.mf.form.Draw(host->GetCanvas(), 1);
    g.PaintCanvas = nullptr;
  }
}
BENCHMARK(BM_FullFrame1920x1200)->Unit(benchmark::kMillisecond);

void BM_NewGame(benchmark::State& state) {
  World w;
  for (auto _ : state) NewGame(*w.g, 2);
}
BENCHMARK(BM_NewGame)->Unit(benchmark::kMillisecond);

void BM_ReadImageStore(benchmark::State& state) {
  { World w; w.g->figures.WriteImageStore(); }
  for (auto _ : state) {
    FigureStore store(DataDir());
    store.ReadImageStore();
    store.LoadFigureImages(3);
    benchmark::DoNotOptimize(store.Figure(8));
  }
}
BENCHMARK(BM_ReadImageStore)->Unit(benchmark::kMillisecond);

// A whole proving replay of level 0 headless, as the levels test plays it: start-up, level build
// and every frame up to the win.
void BM_WholeReplay(benchmark::State& state) {
  std::ifstream in(fs::path(KIRPO_SOURCE_DIR) / "tests/levels/replays/0/easy-win.txt");
  std::stringstream text;
  text << in.rdbuf();
  ReplayScript script;
  std::string error;
  if (!ParseReplayScript(text.str(), script, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  ReplayOptions options;
  options.data_dir = DataDir();
  for (auto _ : state) {
    const ReplayResult r = RunReplay(options, script);
    if (r.outcome != ReplayOutcome::Won) state.SkipWithError("the replay did not win");
    state.counters["frames"] = static_cast<double>(r.frames);
  }
}
BENCHMARK(BM_WholeReplay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kirpo

BENCHMARK_MAIN();
