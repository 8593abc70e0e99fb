#include "common/Errors.h"

#include <mutex>

namespace kirpo {

namespace {
// The sound worker logs too, so the last line is guarded.
std::mutex& LogMutex() {
  static std::mutex m;
  return m;
}
std::string& LastLog() {
  static std::string last;
  return last;
}
}  // namespace

void FatalError(int code, const std::string& text) { throw FatalErrorException(code, text); }

void RethrowAsFatal(int code, const std::string& prefix) {
  try {
    throw;
  } catch (const FatalErrorException&) {
    throw;
  } catch (const std::exception& e) {
    FatalError(code, prefix + e.what());
  } catch (...) {
    FatalError(code, prefix + "unknown error");
  }
}

void WriteLog(const std::string& text) {
  std::lock_guard<std::mutex> lock(LogMutex());
  LastLog() = text;
}

std::string LastLogMessage() {
  std::lock_guard<std::mutex> lock(LogMutex());
  return LastLog();
}

}  // namespace kirpo
