// Kirpo: the program's entry. Everything that can fail ends here with its message and exit code.
#include <SDL.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "common/Consts.h"
#include "common/Errors.h"
#include "common/Tr.h"
#include "platform/CloseSignals.h"
#include "platform/Desktop.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "platform/InstanceLock.h"
#include "platform/Memory.h"
#include "shell/App.h"
#include "shell/InstallReport.h"

namespace {

int Fail(const kirpo::FatalErrorException& e, const std::string& data_dir) {
  std::string text = e.what();
  if (e.ToClipboard()) {
    kirpo::SetClipboardText(text);
    const std::string saved = kirpo::SaveInstallReport(text, data_dir);
    if (!saved.empty()) text += "\r\nThis report is also saved in the file\r\n" + saved + "\r\n";
  }
  if (!text.empty()) {
    // A close signal while the message is up ends the program as the message's button would.
    kirpo::CloseSignalOutcome outcome(e.Code());
    kirpo::ShowErrorDialog(text);
    kirpo::ShowInfoDialog("Application terminated", "Close");
  }
  return e.Code();
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc, (void)argv;  // no arguments are read
  kirpo::TuneAllocator();
  kirpo::CatchCloseSignals();
  const std::string exe_dir = kirpo::ExecutableDir();
  kirpo::InitTranslations(exe_dir);
  std::string error;
  const auto no_window = [&error] {
    std::fprintf(stderr, "Kirpo cannot open its window: %s\n", error.c_str());
    SDL_Quit();
    return kirpo::ExitNoWindow;
  };
  if (!kirpo::InitVideo(&error)) return no_window();
  const std::string data_dir = kirpo::UserDataDir();
  kirpo::MakeDirs(data_dir);
  // Taken before the window opens, so that a refused second start shows nothing but its message.
  const kirpo::DataFolderLock lock(data_dir);
  if (lock.HeldElsewhere()) {
    {
      kirpo::CloseSignalOutcome outcome(kirpo::ExitAlreadyRunning);
      kirpo::ShowErrorDialog(kirpo::DataFolderLock::Explain(data_dir));
    }
    SDL_Quit();
    return kirpo::ExitAlreadyRunning;
  }
  std::unique_ptr<kirpo::Host> host = kirpo::CreateWindowHost(960, 600, kirpo::WindowCaption, false, &error);
  if (!host) return no_window();
  int code = 0;
  try {
    kirpo::App app(*host, exe_dir, data_dir);
    app.PlayOnDesktop();
    app.StartUp();
    app.Run();
  } catch (const kirpo::FatalErrorException& e) {
    code = Fail(e, data_dir);
  } catch (const std::exception& e) {
    code = Fail(kirpo::FatalErrorException(kirpo::ExitUnexpected, e.what()), data_dir);
  } catch (...) {
    code = Fail(kirpo::FatalErrorException(kirpo::ExitUnexpected, "Unexpected error"), data_dir);
  }
  host.reset();
  SDL_Quit();
  return code;
}
