#pragma once
#include <functional>

namespace kirpo {

// SIGTERM and SIGINT ask the program to close as Esc does; the frame loop looks at the request.
// A second signal while the first is being served ends the process at once.
void CatchCloseSignals();
bool CloseSignalled();

// While one lives, the main thread waits where the frame loop cannot see a close request: a modal
// dialog runs its own loop in the window system. A close signal then ends the process from a
// watcher thread with the code the dialog would have led to, after finish (what an orderly close
// would have written; it must not touch the window system, which the main thread holds).
class CloseSignalOutcome {
 public:
  explicit CloseSignalOutcome(int code, std::function<void()> finish = {});
  ~CloseSignalOutcome();
  CloseSignalOutcome(const CloseSignalOutcome&) = delete;
  CloseSignalOutcome& operator=(const CloseSignalOutcome&) = delete;
};

}  // namespace kirpo
