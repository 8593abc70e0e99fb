// Checks the generated artwork and sounds in assets/ and forms/ against the catalogue
// (docs/figures.md, tools/art/catalogue.py): what the image store, the movie list and the
// sound player will be handed must decode and have the sizes the game's geometry assumes.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kRoot = KIRPO_SOURCE_DIR;
const std::string kAssets = kRoot + "/assets/";
const std::string kForms = kRoot + "/forms/";

struct FigureSpec {
  int number;
  int width;
  int height;
  int frames;
};

// Mirrors tools/art/catalogue.py.
const std::vector<FigureSpec> kFigures = [] {
  std::vector<FigureSpec> v = {
      {1, 52, 52, 1},    {2, 52, 52, 1},    {3, 52, 52, 1},    {4, 52, 52, 1},
      {5, 52, 52, 1},    {6, 52, 52, 1},    {7, 52, 52, 1},    {8, 52, 52, 1},
      {9, 52, 52, 1},    {10, 52, 52, 1},   {11, 52, 52, 1},   {12, 52, 52, 1},
      {13, 52, 52, 1},   {14, 52, 52, 1},   {15, 52, 52, 1},   {16, 52, 52, 1},
      {17, 52, 52, 1},   {19, 26, 26, 1},   {20, 208, 52, 4},  {21, 52, 52, 1},
      {22, 52, 52, 1},   {23, 52, 52, 1},   {24, 52, 52, 1},   {25, 52, 52, 1},
      {26, 208, 52, 4},  {27, 208, 52, 4},  {28, 52, 52, 1},   {29, 52, 52, 1},
      {30, 52, 52, 1},   {31, 52, 52, 1},   {32, 52, 52, 1},   {33, 26, 26, 1},
      {34, 1560, 936, 1}, {35, 1920, 1200, 1}, {36, 1024, 1024, 1}, {37, 1400, 2400, 1},
      {40, 1000, 100, 5}, {41, 52, 52, 1},  {42, 52, 52, 1},   {43, 52, 52, 1},
      {44, 52, 52, 1},   {45, 52, 52, 1},   {46, 1920, 1200, 1}, {48, 1920, 1200, 1},
      {50, 52, 65, 1},   {68, 104, 52, 1},
  };
  // The three nine-frame death sequences and the six frost frames.
  for (int first : {51, 73, 83}) {
    for (int k = 0; k < 9; ++k) v.push_back({first + k, 52, 52, 1});
  }
  for (int k = 0; k < 6; ++k) v.push_back({60 + k, 52, 52, 1});
  return v;
}();

// Pictures drawn over the whole field: only pixel (0, 0) may carry the transparency key.
const std::set<int> kOpaquePictures = {36, 37, 46, 48};

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Decodes a PNG and converts it to 32-bit ARGB, the layout the game's bitmaps use.
Surface LoadArgb(const std::string& path) {
  Surface raw(IMG_Load(path.c_str()));
  if (!raw) return nullptr;
  return Surface(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_ARGB8888, 0));
}

uint32_t PixelAt(const SDL_Surface* s, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
  return reinterpret_cast<const uint32_t*>(row)[x];
}

// The level preview sheet is drawn by the build from the level files, into the package only.
const std::string kLevelSheet = std::string(KIRPO_BINARY_DIR) + "/package/Neu37.png";

std::string FigurePath(int n) { return n == 37 ? kLevelSheet : kAssets + "Neu" + std::to_string(n) + ".png"; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(AssetsFigures, EveryCatalogueFigureDecodesWithItsSizeAndWholeFrames) {
  for (const auto& f : kFigures) {
    SCOPED_TRACE("figure " + std::to_string(f.number));
    const std::string path = FigurePath(f.number);
    ASSERT_TRUE(fs::exists(path)) << path;
    // The image store reads at most 6,000,000 bytes of a figure file.
    EXPECT_LT(fs::file_size(path), 6000000u);
    Surface s(IMG_Load(path.c_str()));
    ASSERT_NE(s, nullptr) << IMG_GetError();
    EXPECT_EQ(s->w, f.width);
    EXPECT_EQ(s->h, f.height);
    EXPECT_EQ(f.width % f.frames, 0) << "frames would not be of equal width";
  }
}

TEST(AssetsFigures, OnlyCatalogueFiguresExistAndFigureZeroStaysEmpty) {
  std::set<std::string> expected;
  for (const auto& f : kFigures)
    if (f.number != 37) expected.insert("Neu" + std::to_string(f.number) + ".png");
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(kAssets)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Neu", 0) == 0) found.insert(name);
  }
  // A figure file the catalogue does not know would be loaded into the store unnoticed;
  // a picture for figure 0 would make sprites that must never collide visible.
  EXPECT_EQ(found, expected);
  EXPECT_FALSE(fs::exists(FigurePath(0)));
}

TEST(AssetsFigures, TransparencyKeyBlanksOnlyTransparentPixels) {
  for (const auto& f : kFigures) {
    SCOPED_TRACE("figure " + std::to_string(f.number));
    Surface s = LoadArgb(FigurePath(f.number));
    ASSERT_NE(s, nullptr);
    const uint32_t key = PixelAt(s.get(), 0, 0);
    // The loader blanks every pixel equal to pixel (0, 0): the key must itself be transparent,
    // so no visible pixel of the drawing can match it.
    EXPECT_EQ(key >> 24, 0u) << std::hex << key;
    int keyed = 0;
    int transparent = 0;
    for (int y = 0; y < s->h; ++y) {
      for (int x = 0; x < s->w; ++x) {
        const uint32_t p = PixelAt(s.get(), x, y);
        if (p == key) ++keyed;
        if ((p >> 24) == 0) ++transparent;
      }
    }
    if (kOpaquePictures.count(f.number)) {
      EXPECT_EQ(transparent, 1) << "an opaque picture may only lose its key pixel";
    } else {
      // Every transparent pixel carries the key, so a reader that drops alpha still works.
      EXPECT_EQ(keyed, transparent);
    }
  }
}

// The movie list: CR LF lines, a header, then "figure;frames;x;y" for every strip and
// nothing else (an entry for a single picture would divide its width).
TEST(AssetsFigures, MovieListHasExactlyTheStrips) {
  const std::string text = ReadFile(kAssets + "Kirpo-Movies.txt");
  ASSERT_FALSE(text.empty());
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_GE(lines.size(), 2u);
  std::map<int, int> listed;
  for (size_t i = 1; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    ASSERT_EQ(lines[i].find('\n'), std::string::npos);
    std::vector<int> fields;
    std::stringstream ss(lines[i]);
    std::string field;
    while (std::getline(ss, field, ';')) {
      char* endp = nullptr;
      const long v = std::strtol(field.c_str(), &endp, 10);
      ASSERT_TRUE(!field.empty() && *endp == '\0') << "not an integer: " << field;
      fields.push_back(static_cast<int>(v));
    }
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_TRUE(listed.emplace(fields[0], fields[1]).second) << "listed twice";
  }
  std::map<int, int> strips;
  for (const auto& f : kFigures) {
    if (f.frames > 1) strips[f.number] = f.frames;
  }
  EXPECT_EQ(listed, strips);
}

TEST(AssetsForms, PicturesDecodeWithTheirSizes) {
  const std::vector<std::pair<std::string, int>> forms = {
      {"arrow_right.png", 120}, {"arrow_up.png", 120},    {"arrow_down.png", 120},
      {"arrow_left.png", 120},  {"mushroom.png", 120},    {"menu.png", 100},
      {"off.png", 100},         {"help.png", 100},        {"hand.png", 100},
      {"gamepad.png", 100},     {"speaker_on.png", 100},  {"speaker_off.png", 100},
      {"fullscreen.png", 100},  {"pause.png", 100},       {"play.png", 100},
      {"kill.png", 100},        {"easy.png", 128},        {"hard.png", 128},
      {"crazy.png", 128},       {"easy_black.png", 128},  {"hard_black.png", 128},
      {"crazy_black.png", 128}, {"rakete.png", 128},      {"hantel.png", 128},
      {"robot.png", 128},       {"robot1.png", 128},      {"robot2.png", 128},
      {"monster1.png", 128},    {"monster1_1.png", 128},  {"monster1_2.png", 128},
      {"monster1_3.png", 128},  {"monster2.png", 128},    {"monster2_1.png", 128},
      {"monster2_2.png", 128},  {"monster2_3.png", 128},  {"ok.png", 100},
      {"delete.png", 64},       {"exit.png", 100},        {"link_kirpo.png", 64},
      {"link_korvane.png", 64}, {"link_sprekko.png", 64}, {"link_dubbel.png", 64},
      {"link_bratwick.png", 64}, {"icon.png", 256},
  };
  for (const auto& [name, size] : forms) {
    SCOPED_TRACE(name);
    Surface s = LoadArgb(kForms + name);
    ASSERT_NE(s, nullptr) << IMG_GetError();
    EXPECT_EQ(s->w, size);
    EXPECT_EQ(s->h, size);
    // Drawn with real alpha, as the layouts lay them over the play-field: every picture,
    // the black-backed difficulty glyphs included, has a see-through corner.
    EXPECT_LT(PixelAt(s.get(), 0, 0) >> 24, 0xFFu);
  }
}

TEST(AssetsSounds, EverySoundIsAudible16BitPcmAt44100HzWithoutClipping) {
  const char* const names[] = {"count_money.wav", "fallen.wav",         "gameover.wav",
                               "killball.wav",    "killed.wav",         "level_gewonnen.wav",
                               "monkilled.wav",   "neuer_hiscore.wav",  "schuss.wav",
                               "takepilz.wav"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    SDL_AudioSpec wav{};
    Uint8* buf = nullptr;
    Uint32 len = 0;
    ASSERT_NE(SDL_LoadWAV((kAssets + name).c_str(), &wav, &buf, &len), nullptr) << SDL_GetError();
    std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)> owned(buf, &SDL_FreeWAV);
    EXPECT_EQ(wav.format, AUDIO_S16LSB);
    EXPECT_EQ(wav.freq, 44100);
    ASSERT_GE(wav.channels, 1);
    ASSERT_GT(len, 0u);
    const auto* samples = reinterpret_cast<const int16_t*>(buf);
    const size_t count = len / 2;
    int peak = 0;
    size_t at_rail = 0;
    for (size_t i = 0; i < count; ++i) {
      const int v = std::abs(static_cast<int>(samples[i]));
      peak = std::max(peak, v);
      if (v >= 32767) ++at_rail;
    }
    EXPECT_GT(peak, 32768 / 4) << "too quiet to hear among the other effects";
    EXPECT_EQ(at_rail, 0u) << "clipped";
    const double seconds = static_cast<double>(count) / wav.channels / wav.freq;
    EXPECT_GT(seconds, 0.05);
    EXPECT_LT(seconds, 6.0) << "effects are played whole from memory; keep them short";
  }
}

TEST(AssetsHelp, HelpPageIsOfflineAndHasItsAnchors) {
  const std::string html = ReadFile(kAssets + "help.html");
  ASSERT_FALSE(html.empty());
  // The menu's help icon opens the page at #Hilfe; the start menu's links jump to their games.
  for (const char* id : {"Hilfe", "korvane", "sprekko", "dubbel", "bratwick", "kirpo-android"}) {
    EXPECT_NE(html.find(std::string("id=\"") + id + "\""), std::string::npos) << id;
  }
  // Opened from the data folder without a network: nothing may be fetched from elsewhere.
  for (const char* remote : {"src=\"http", "href=\"http", "url(http", "src=\"//", "href=\"//"}) {
    EXPECT_EQ(html.find(remote), std::string::npos) << remote;
  }
  // Its pictures travel in the data package beside it.
  int pictures = 0;
  for (size_t at = html.find("src=\""); at != std::string::npos; at = html.find("src=\"", at + 1), ++pictures) {
    const size_t start = at + 5, end = html.find('"', start);
    const std::string file = html.substr(start, end - start);
    EXPECT_TRUE(fs::exists(kAssets + file)) << file;
  }
  EXPECT_GT(pictures, 0);
}

}  // namespace
