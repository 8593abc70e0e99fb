#include "common/Tr.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnglish = "Push the blue ball onto the door before time runs out";
constexpr const char* kGerman = "Schiebe den blauen Ball auf die Tür, bevor die Zeit abläuft";
const char* const kVars[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// Each case sets the language variables from scratch; the process's own are put back afterwards.
struct TrTest : ::testing::Test {
  std::string saved[4];
  bool had[4] = {};
  void SetUp() override {
    for (int i = 0; i < 4; ++i)
      if (const char* v = std::getenv(kVars[i])) had[i] = true, saved[i] = v;
  }
  void TearDown() override {
    for (int i = 0; i < 4; ++i) had[i] ? setenv(kVars[i], saved[i].c_str(), 1) : unsetenv(kVars[i]);
    std::setlocale(LC_MESSAGES, "C");
  }
  static void SetLanguage(const char* language, const char* lc_all, const char* lang) {
    const char* values[] = {language, lc_all, nullptr, lang};
    for (int i = 0; i < 4; ++i) values[i] ? setenv(kVars[i], values[i], 1) : unsetenv(kVars[i]);
  }
};

TEST_F(TrTest, TheLanguageFollowsTheEnvironmentAndFallsBackToEnglish) {
  struct Case {
    const char *language, *lc_all, *lang, *expected;
  } cases[] = {
      {"de", nullptr, nullptr, kGerman},        // LANGUAGE alone, no locale set at all
      {"xx:de", nullptr, nullptr, kGerman},     // the first language with a catalogue
      {"de", nullptr, "xx_YY.UTF-8", kGerman},  // a locale this system has not generated
      {"fr", nullptr, nullptr, kEnglish},       // no French catalogue
      {nullptr, nullptr, nullptr, kEnglish},
      {"de", "C", nullptr, kEnglish},           // LC_ALL=C asks for the untranslated texts
  };
  for (const Case& c : cases) {
    SetLanguage(c.language, c.lc_all, c.lang);
    InitTranslations(KIRPO_BINARY_DIR "/");
    EXPECT_STREQ(Tr(kEnglish), c.expected)
        << "LANGUAGE=" << (c.language ? c.language : "") << " LC_ALL=" << (c.lc_all ? c.lc_all : "")
        << " LANG=" << (c.lang ? c.lang : "");
  }
  EXPECT_STREQ(Tr("a text nobody translated"), "a text nobody translated");
}

TEST_F(TrTest, AnInstalledProgramReadsTheCataloguesOfItsInstallation) {
  test::TempDir root;
  const std::string exe_dir = root.Path() + "bin/";
  fs::create_directories(exe_dir);
  const std::string dir = InitTranslations(exe_dir);
  ASSERT_EQ(dir.rfind(exe_dir, 0), 0u) << "relative to the executable, so the installation can move: " << dir;
  fs::create_directories(dir + "de/LC_MESSAGES");
  fs::copy_file(KIRPO_BINARY_DIR "/locale/de/LC_MESSAGES/kirpo.mo", dir + "de/LC_MESSAGES/kirpo.mo");
  SetLanguage("de", nullptr, nullptr);
  InitTranslations(exe_dir);
  EXPECT_STREQ(Tr(kEnglish), kGerman);
}

}  // namespace
}  // namespace kirpo
