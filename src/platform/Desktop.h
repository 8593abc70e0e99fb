#pragma once
#include <string>

namespace kirpo {

// Message dialogs, clipboard and the browser. Without a display every dialog goes to stderr.
void ShowErrorDialog(const std::string& text);
void ShowInfoDialog(const std::string& text, const std::string& button);
// True for Yes; false for No; without a display the answer is No.
enum class DialogAnswer { Yes, No, Closed };
DialogAnswer AskYesNo(const std::string& text);
bool SetClipboardText(const std::string& text);
bool OpenUrl(const std::string& url);

// The executable's folder and the per-user data folder, each with a trailing slash.
std::string ExecutableDir();
// $XDG_DATA_HOME/KIRPO/, else ~/.local/share/KIRPO/.
std::string UserDataDir();

}  // namespace kirpo
