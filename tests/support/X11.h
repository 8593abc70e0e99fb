#pragma once
#include <string>

namespace kirpo::test {

void SleepMs(int ms);
// The id of the first window whose title matches name, waiting up to timeout_ms; "" when none appeared.
std::string FindWindow(const std::string& name, int timeout_ms);
// Raises the window and gives it the keyboard focus.
void FocusWindow(const std::string& window);
// The window's size as "WxH", as the X server reports it.
std::string WindowSize(const std::string& window);
// Pixels that differ between two screenshots of the same size; -1 when they cannot be compared.
int DifferentPixels(const std::string& a, const std::string& b);

}  // namespace kirpo::test
