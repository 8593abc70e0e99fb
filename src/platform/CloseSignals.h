#pragma once

namespace kirpo {

// SIGTERM and SIGINT ask the program to close as Esc does; the frame loop looks at the request.
// A second signal while the first is being served ends the process at once.
void CatchCloseSignals();
bool CloseSignalled();

}  // namespace kirpo
