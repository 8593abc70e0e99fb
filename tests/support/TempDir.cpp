#include "support/TempDir.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

namespace kirpo::test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto base = std::filesystem::temp_directory_path() /
                    ("kirpo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base);
  path_ = base.string() + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::InstallAssets(const std::string& name) const {
  const std::string into = path_ + name + "/";
  std::filesystem::create_directories(into);
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(KIRPO_SOURCE_DIR) / "assets"))
    std::filesystem::copy_file(e.path(), into + e.path().filename().string());
  return into;
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  const auto p = std::filesystem::path(path_ + name);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(path_ + name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace kirpo::test
