#include "platform/CloseSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <mutex>
#include <thread>

namespace kirpo {

namespace {

volatile std::sig_atomic_t g_close_signals = 0;
volatile std::sig_atomic_t g_last_signal = 0;
int g_wake[2] = {-1, -1};

std::mutex g_outcome_lock;
bool g_outcome_set = false;
int g_outcome_code = 0;
std::function<void()> g_outcome_finish;

// An orderly close takes about half a second; a main thread that has not ended the process long
// after that waits in something that never returns.
constexpr auto kOrderlyCloseBound = std::chrono::seconds(10);

extern "C" void OnCloseSignal(int sig) {
  // The orderly close takes about half a second; a user who signals again does not want to wait.
  if (g_close_signals > 0) _exit(128 + sig);
  g_close_signals = 1;
  g_last_signal = sig;
  if (g_wake[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_wake[1], &byte, 1);
  }
}

// SDL shows a message box from a child process and waits for it: the box would outlive the game.
void EndChildren() {
  namespace fs = std::filesystem;
  const pid_t self = ::getpid();
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(it->path() / "stat");
    std::string stat;
    std::getline(in, stat);
    // "pid (name) state ppid ...": the name may hold blanks and parentheses, the last ")" ends it.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    long ppid = 0;
    if (rest >> state >> ppid && ppid == self) ::kill(static_cast<pid_t>(std::stol(name)), SIGKILL);
  }
}

bool EndIfOutcomeSet() {
  std::lock_guard<std::mutex> lock(g_outcome_lock);
  if (!g_outcome_set) return false;
  if (g_outcome_finish) g_outcome_finish();
  EndChildren();
  _exit(g_outcome_code);
}

void Watch() {
  char byte;
  while (::read(g_wake[0], &byte, 1) < 0) {
  }
  // The dialog may come up after the signal, before the main thread looked at the request.
  const auto until = std::chrono::steady_clock::now() + kOrderlyCloseBound;
  while (std::chrono::steady_clock::now() < until) {
    EndIfOutcomeSet();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EndIfOutcomeSet();
  EndChildren();
  _exit(128 + g_last_signal);
}

}  // namespace

void CatchCloseSignals() {
  if (g_wake[0] < 0 && ::pipe2(g_wake, O_CLOEXEC) == 0) std::thread(Watch).detach();
  struct sigaction sa {};
  sa.sa_handler = OnCloseSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

bool CloseSignalled() { return g_close_signals > 0; }

CloseSignalOutcome::CloseSignalOutcome(int code, std::function<void()> finish) {
  std::lock_guard<std::mutex> lock(g_outcome_lock);
  g_outcome_set = true;
  g_outcome_code = code;
  g_outcome_finish = std::move(finish);
}

CloseSignalOutcome::~CloseSignalOutcome() {
  std::lock_guard<std::mutex> lock(g_outcome_lock);
  g_outcome_set = false;
  g_outcome_finish = nullptr;
}

}  // namespace kirpo
