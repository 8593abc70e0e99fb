#pragma once
#include <string>

namespace kirpo {

// Message dialogs, clipboard and the browser. Without a display every dialog goes to stderr.
void ShowErrorDialog(const std::string& text);
void ShowInfoDialog(const std::string& text, const std::string& button);
// Yes, No or Cancel; Esc and closing the dialog are Cancel. Without a display the answer is Cancel:
// nothing is done that nobody chose.
enum class DialogAnswer { Yes, No, Cancel };
DialogAnswer AskYesNoCancel(const std::string& text);
bool SetClipboardText(const std::string& text);
bool OpenUrl(const std::string& url);

// The executable's folder and the per-user data folder, each with a trailing slash.
std::string ExecutableDir();
// $HOME, else the user database's home folder; no trailing slash.
std::string HomeDir();
// $XDG_DATA_HOME/KIRPO/, else ~/.local/share/KIRPO/.
std::string UserDataDir();

}  // namespace kirpo
