#include "support/XWindow.h"

#include <chrono>
#include <thread>

#include "support/Process.h"

namespace kirpo::test {

namespace {
std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}
}  // namespace

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindWindow(const std::string& name, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 200) {
    std::string id = Trimmed(Capture("xdotool search --name '" + name + "' 2>/dev/null | head -n1"));
    if (!id.empty()) return id;
    SleepMs(200);
  }
  return "";
}

void FocusWindow(const std::string& window) {
  Capture("xdotool windowactivate --sync " + window + " 2>/dev/null; xdotool windowfocus --sync " + window +
          " 2>/dev/null");
}

std::string WindowSize(const std::string& window) {
  const std::string g = Capture("xdotool getwindowgeometry " + window);
  const size_t at = g.find("Geometry: ");
  return at == std::string::npos ? "" : Trimmed(g.substr(at + 10, g.find('\n', at) - at - 10));
}

}  // namespace kirpo::test
