#pragma once
#include <functional>
#include <string>

namespace kirpo::test {

void SleepMs(int ms);
// The id of the first shown window whose title matches name, waiting up to timeout_ms; "" when none appeared.
std::string FindWindow(const std::string& name, int timeout_ms);
// Raises the window and gives it the keyboard focus.
void FocusWindow(const std::string& window);
// The window's size as "WxH", as the X server reports it.
std::string WindowSize(const std::string& window);
// Pixels that differ between two screenshots of the same size; -1 when they cannot be compared.
int DifferentPixels(const std::string& a, const std::string& b);
// Polls every 200 ms until done() holds or timeout_ms have passed; returns the last answer.
bool WaitFor(const std::function<bool()>& done, int timeout_ms);
// The id of the game's message box (a question or a message), waiting up to timeout_ms; "" when none came.
std::string FindDialog(int timeout_ms);
// Clicks the kill button of the game in play; the id of the question it brings up, "" when none came.
std::string AskWithKillButton(const std::string& window);
// Ends the game in play as a player does with the kill button of the game's window and Yes to its
// question; false when no question came up.
bool AbortGameWithKillButton(const std::string& window);

}  // namespace kirpo::test
