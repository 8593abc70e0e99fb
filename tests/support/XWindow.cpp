#include "support/XWindow.h"

#include <chrono>
#include <thread>

#include "platform/Bitmap.h"
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

int DifferentPixels(const std::string& a, const std::string& b) {
  auto pa = Bitmap::Load(a), pb = Bitmap::Load(b);
  if (!pa || !pb || pa->Width() != pb->Width() || pa->Height() != pb->Height()) return -1;
  int n = 0;
  for (int y = 0; y < pa->Height(); ++y)
    for (int x = 0; x < pa->Width(); ++x) n += (pa->Pixel(x, y) & 0xFFFFFF) != (pb->Pixel(x, y) & 0xFFFFFF);
  return n;
}

}  // namespace kirpo::test
