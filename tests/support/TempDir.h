#pragma once
#include <filesystem>
#include <string>

#include "platform/Clock.h"

namespace kirpo::test {

// A fresh folder per test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder, with a trailing slash.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  void Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  // Copies the data package's sources into the folder name (created), as an installation would hold them.
  std::string InstallAssets(const std::string& name) const;

 private:
  std::string path_;
};

// Installs a manual game clock for the life of the object.
class ScopedManualClock {
 public:
  explicit ScopedManualClock(int64_t start = 1000) : clock_(start) { SetGameClock(&clock_); }
  ~ScopedManualClock() { SetGameClock(nullptr); }
  ManualClock& operator*() { return clock_; }
  ManualClock* operator->() { return &clock_; }

 private:
  ManualClock clock_;
};

}  // namespace kirpo::test
