#include "support/X11.h"

#include <chrono>
#include <thread>

#include "platform/Bitmap.h"
#include "support/Process.h"

namespace kirpo::test {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string FindWindow(const std::string& name, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 200) {
    std::string id = Capture("xdotool search --onlyvisible --name '" + name + "' 2>/dev/null | head -n1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
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
  std::string g = Capture("xdotool getwindowgeometry " + window);
  const size_t at = g.find("Geometry: ");
  if (at == std::string::npos) return "";
  g = g.substr(at + 10);
  return g.substr(0, g.find_first_of("\n "));
}

int DifferentPixels(const std::string& a, const std::string& b) {
  auto pa = Bitmap::Load(a), pb = Bitmap::Load(b);
  if (!pa || !pb || pa->Width() != pb->Width() || pa->Height() != pb->Height()) return -1;
  int n = 0;
  for (int y = 0; y < pa->Height(); ++y)
    for (int x = 0; x < pa->Width(); ++x) n += (pa->Pixel(x, y) & 0xFFFFFF) != (pb->Pixel(x, y) & 0xFFFFFF);
  return n;
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 200) {
    if (done()) return true;
    SleepMs(200);
  }
  return done();
}

std::string FindDialog(int timeout_ms) {
  // SDL's message box has no window class, which xdotool's search passes over.
  std::string dialog;
  const bool found = WaitFor(
      [&] {
        dialog = Capture("xwininfo -root -tree | grep '\"Kirpo\":' | awk '{print $1}' | head -n1");
        return dialog.size() > 2;
      },
      timeout_ms);
  if (!found) return "";
  dialog.pop_back();  // the line break
  return dialog;
}

std::string AskWithKillButton(const std::string& window) {
  Capture("xdotool mousemove --window " + window + " 896 200; sleep 0.3; xdotool mousedown 1; sleep 0.15; " +
          "xdotool mouseup 1");
  return FindDialog(10000);
}

bool AbortGameWithKillButton(const std::string& window) {
  const std::string dialog = AskWithKillButton(window);
  if (dialog.empty()) return false;
  Capture("xdotool windowfocus --sync " + dialog + " 2>/dev/null; xdotool key Return");
  return true;
}

}  // namespace kirpo::test
