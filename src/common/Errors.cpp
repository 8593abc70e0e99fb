#include "common/Errors.h"

namespace kirpo {

namespace {
std::string& LastLog() {
  static std::string last;
  return last;
}
}  // namespace

void FatalError(int code, const std::string& text) { throw FatalErrorException(code, text); }

void WriteLog(const std::string& text) { LastLog() = text; }

const std::string& LastLogMessage() { return LastLog(); }

}  // namespace kirpo
