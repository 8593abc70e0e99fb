// Kirpo: the program's entry. Everything that can fail ends here with its message and exit code.
#include <SDL.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "platform/CloseSignals.h"
#include "platform/Desktop.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "common/Errors.h"

namespace {

int Fail(const kirpo::FatalErrorException& e) {
  if (e.ToClipboard()) kirpo::SetClipboardText(e.what());
  if (*e.what()) {
    kirpo::ShowErrorDialog(e.what());
    kirpo::ShowInfoDialog("Application terminated", "Close");
  }
  return e.Code();
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc, (void)argv;  // no arguments are read
  kirpo::CatchCloseSignals();
  std::string error;
  const bool video = kirpo::InitVideo(&error);
  const std::string exe_dir = kirpo::ExecutableDir();
  const std::string data_dir = kirpo::UserDataDir();
  kirpo::MakeDirs(data_dir);
  std::unique_ptr<kirpo::Host> host;
  if (video) host = kirpo::CreateWindowHost(960, 600, "Form1", false, &error);
  if (!host) {
    std::fprintf(stderr, "Kirpo cannot open its window: %s\n", error.c_str());
    // Without a display the installation check still runs, so a broken package is reported.
    host = kirpo::CreateOffscreenHost(960, 600);
    if (!host) return 1;
  }
  int code = 0;
  try {
    kirpo::App app(*host, exe_dir, data_dir);
    app.PlayOnDesktop();
    app.StartUp();
    if (!host->HasDisplay()) return 1;
    app.Run();
  } catch (const kirpo::FatalErrorException& e) {
    code = Fail(e);
  } catch (const std::exception& e) {
    code = Fail(kirpo::FatalErrorException(kirpo::ExitUnexpected, e.what()));
  } catch (...) {
    code = Fail(kirpo::FatalErrorException(kirpo::ExitUnexpected, "Unexpected error"));
  }
  host.reset();
  SDL_Quit();
  return code;
}
