// Damaged data files: the program either plays on or stops with its message, never crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "common/Errors.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct BadFilesTest : ::testing::Test {
  test::TempDir dir;
  std::string data = dir.Path() + "data/";
  std::vector<uint8_t> good_store;

  void SetUp() override {
    fs::create_directories(data);
    for (const auto& e : fs::directory_iterator(fs::path(KIRPO_SOURCE_DIR) / "assets"))
      fs::copy_file(e.path(), data + e.path().filename().string());
    Start(1000);  // the first start writes the image store
    ASSERT_TRUE(ReadFileBytes(data + "image.store", good_store));
  }

  // Starts the program and lets it run; returns the fatal error's code, or 0 when it plays on.
  int Start(int64_t run_ms) {
    test::ScopedManualClock clock{0};
    std::unique_ptr<Host> host = CreateOffscreenHost(480, 300);
    App app(*host, dir.Path(), data);
    try {
      app.StartUp();
      app.RunUntil(run_ms);
    } catch (const FatalErrorException& e) {
      EXPECT_NE(std::string(e.what()), "") << "a fatal error without a message";
      return e.Code();
    }
    return 0;
  }

  static std::vector<uint8_t> Mutate(std::vector<uint8_t> bytes, std::mt19937& rng) {
    switch (rng() % 3) {
      case 0: bytes.resize(rng() % (bytes.size() + 1)); break;  // cut short
      case 1:
        for (int i = 0; i < 8 && !bytes.empty(); ++i) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        break;
      default:
        for (int i = 0; i < 64; ++i) bytes.insert(bytes.begin() + (rng() % (bytes.size() + 1)), static_cast<uint8_t>(rng()));
    }
    return bytes;
  }

  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileAtomically(data + name, bytes.data(), bytes.size()));
  }
};

TEST_F(BadFilesTest, DamagedCachesSettingsAndRecordingsNeverStopTheGame) {
  std::vector<uint8_t> recording, movies;
  ASSERT_TRUE(ReadFileBytes(data + "recordings_0.txt", recording));
  ASSERT_TRUE(ReadFileBytes(data + "Kirpo-Movies.txt", movies));
  std::mt19937 rng(96);
  for (int round = 0; round < 6; ++round) {
    Write("image.store", Mutate(good_store, rng));
    Write("recordings_0.txt", Mutate(recording, rng));
    Write("Kirpo-Movies.txt", Mutate(movies, rng));
    std::vector<uint8_t> ini(static_cast<size_t>(rng() % 300));
    for (uint8_t& b : ini) b = static_cast<uint8_t>(rng());
    Write("kirpo.ini", ini);
    EXPECT_EQ(Start(16000), 0) << "round " << round;
  }
}

TEST_F(BadFilesTest, DamagedLevelFilesEndWithALevelErrorOrPlayOn) {
  std::vector<uint8_t> level;
  ASSERT_TRUE(ReadFileBytes(data + "generatedfigures_0.txt", level));
  std::mt19937 rng(1952);
  for (int round = 0; round < 12; ++round) {
    Write("generatedfigures_0.txt", Mutate(level, rng));
    const int code = Start(12000);
    EXPECT_TRUE(code == 0 || code == 69 || code == 77 || code == 78) << "round " << round << ": code " << code;
  }
}

}  // namespace
}  // namespace kirpo
