// kirpo_replay: plays one level headless from an input script and prints how it ended.
//
//   kirpo_replay <data-folder> <level> <difficulty> <script|-> [--play-through] [--repeat N]
//                [--record recordings_<N>.txt] [--pin]
//
// difficulty is 0, 1, 2 or easy, hard, crazy. The script format is in docs/replay-scripts.md.
// --repeat N plays the script N times and writes the median speed to stderr.
// --record writes the attract mode's demo recording of the play.
// --pin writes the report next to the script (its name with .pin for .txt), for the levels test.
// --trace prints every whole cell the runner reaches, with its frame, to stderr.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/Consts.h"
#include "game/DemoRecorder.h"
#include "game/Game.h"
#include "game/Movement.h"
#include "shell/Replay.h"
#include "platform/FileUtil.h"
#include "settings/Settings.h"

namespace {

int Usage() {
  std::cerr << "usage: kirpo_replay <data-folder> <level> <difficulty> <script|-> [--play-through] [--repeat N]"
               " [--record file] [--pin] [--trace]\n";
  return 2;
}

bool ParseDifficulty(const std::string& s, int& out) {
  if (s == "easy") return out = 0, true;
  if (s == "hard") return out = 1, true;
  if (s == "crazy") return out = 2, true;
  return kirpo::ParseInt(s, out) && out >= 0 && out <= 2;
}

// The runner's cells as it reaches them: where a script goes wrong shows at a glance.
bool TraceRunner(kirpo::Game& g, int64_t frame) {
  static float last_x = -1, last_y = -1;
  const kirpo::TSprite* r = g.RunnerSprite();
  if (!r || !r->Visible || g.st.FreeRunnerPhase != -1 || !kirpo::OnGrid(*r)) return true;
  if (r->X == last_x && r->Y == last_y) return true;
  last_x = r->X, last_y = r->Y;
  std::fprintf(stderr, "frame %lld: runner at column %d, row %d\n", static_cast<long long>(frame),
               static_cast<int>(r->X) / kirpo::CellSize, static_cast<int>(r->Y - kirpo::FieldOriginY) / kirpo::CellSize);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> positional;
  kirpo::ReplayOptions options;
  int repeat = 1;
  std::string record_path;
  bool pin = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--play-through") {
      options.play_through = true;
    } else if (a == "--repeat") {
      if (i + 1 >= argc || !kirpo::ParseInt(argv[++i], repeat) || repeat < 1) return Usage();
    } else if (a == "--record") {
      if (i + 1 >= argc) return Usage();
      record_path = argv[++i];
    } else if (a == "--pin") {
      pin = true;
    } else if (a == "--trace") {
      options.after_frame = TraceRunner;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return Usage();
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 4) return Usage();
  options.data_dir = positional[0];
  if (!kirpo::ParseInt(positional[1], options.level) || options.level < 0 || options.level > 56) {
    std::cerr << "kirpo_replay: level must be 0..56\n";
    return 2;
  }
  if (!ParseDifficulty(positional[2], options.difficulty)) {
    std::cerr << "kirpo_replay: difficulty must be 0, 1, 2, easy, hard or crazy\n";
    return 2;
  }

  std::string pin_path;
  if (pin) {
    const std::string& script_path = positional[3];
    if (script_path == "-" || script_path.size() < 4 || script_path.substr(script_path.size() - 4) != ".txt") {
      std::cerr << "kirpo_replay: --pin needs a script file whose name ends in .txt\n";
      return 2;
    }
    pin_path = script_path.substr(0, script_path.size() - 4) + ".pin";
  }

  std::string text;
  if (positional[3] == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else if (!kirpo::ReadFileText(positional[3], text)) {
    std::cerr << "kirpo_replay: cannot read " << positional[3] << "\n";
    return 2;
  }
  kirpo::ReplayScript script;
  std::string error;
  if (!kirpo::ParseReplayScript(text, script, &error)) {
    std::cerr << "kirpo_replay: " << positional[3] << ": " << error << "\n";
    return 2;
  }

  kirpo::DemoRecorder recorder;
  if (!record_path.empty()) options.on_start = [&recorder](kirpo::Game& g) { recorder.Attach(g); };
  kirpo::ReplayResult result;
  std::vector<double> seconds;
  for (int i = 0; i < repeat; ++i) {
    const auto start = std::chrono::steady_clock::now();
    result = kirpo::RunReplay(options, script);
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (result.failed) {
    std::cout << kirpo::ReplayReport(result);
    std::cerr << "kirpo_replay: error " << result.error_code << ": " << result.error << "\n";
    return result.error_code != 0 ? result.error_code : 1;
  }
  const std::string report = kirpo::ReplayReport(result);
  std::cout << report;
  if (!pin_path.empty() && !kirpo::WriteFileAtomically(pin_path, report.data(), report.size())) {
    std::cerr << "kirpo_replay: cannot write " << pin_path << "\n";
    return 1;
  }
  if (!record_path.empty()) {
    if (!recorder.Save(record_path)) {
      std::cerr << "kirpo_replay: cannot write " << record_path << "\n";
      return 1;
    }
    std::cout << "recorded: " << recorder.RecordsWritten() << " records\n";
  }
  if (repeat > 1) {
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::fprintf(stderr, "median %.4f s for %lld frames: %.0f frames/s\n", median,
                 static_cast<long long>(result.frames), median > 0 ? result.frames / median : 0.0);
  }
  return 0;
}
