#include "platform/CloseSignals.h"

#include <csignal>
#include <unistd.h>

namespace kirpo {

namespace {

volatile std::sig_atomic_t g_close_signals = 0;

extern "C" void OnCloseSignal(int sig) {
  // The orderly close takes about half a second; a user who signals again does not want to wait.
  if (g_close_signals > 0) _exit(128 + sig);
  g_close_signals = 1;
}

}  // namespace

void CatchCloseSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnCloseSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

bool CloseSignalled() { return g_close_signals > 0; }

}  // namespace kirpo
