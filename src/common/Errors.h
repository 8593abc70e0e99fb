#pragma once
#include <stdexcept>
#include <string>

namespace kirpo {

// A failure the game cannot live with. It travels to the top of the program, which shows the
// text and ends the process with the code.
class FatalErrorException : public std::runtime_error {
 public:
  FatalErrorException(int code, const std::string& text, bool to_clipboard = false)
      : std::runtime_error(text), code_(code), to_clipboard_(to_clipboard) {}
  int Code() const { return code_; }
  bool ToClipboard() const { return to_clipboard_; }

 private:
  int code_;
  bool to_clipboard_;
};

[[noreturn]] void FatalError(int code, const std::string& text);
// Inside a catch block: a FatalErrorException goes on as it is; any other exception becomes the
// fatal error code with prefix + its message.
[[noreturn]] void RethrowAsFatal(int code, const std::string& prefix);

// Status lines kept in memory only (the last one); safe to call from any thread.
void WriteLog(const std::string& text);
std::string LastLogMessage();

}  // namespace kirpo
