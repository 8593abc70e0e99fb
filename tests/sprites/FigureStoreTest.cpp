#include "sprites/FigureStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "sprites/FigureFixture.h"
#include "sprites/Utf16.h"

namespace kirpo {
namespace {

using test::TempDir;

int32_t I32At(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int32_t>(v);
}

int64_t I64At(const std::string& bytes, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int64_t>(v);
}

// Three figures in a data folder: 0 red, 1 green (with a key-coloured dot inside), 2 blue.
struct FigureStoreTest : ::testing::Test {
  TempDir dir;

  void SetUp() override {
    test::WriteFigure(dir, 0, 4, 3, 0xFFFF0000u);
    Bitmap green = test::FigurePicture(6, 2, 0xFF00FF00u);
    green.SetPixel(3, 1, test::KeyColour);
    test::WriteFigure(dir, 1, green);
    test::WriteFigure(dir, 2, 8, 8, 0xFF0000FFu);
  }

  std::string StorePath() const { return dir.File("image.store"); }

  // A first run: every figure from its file, then the store written.
  void FirstRun() {
    FigureStore fs(dir.Path());
    EXPECT_FALSE(fs.ReadImageStore());
    EXPECT_TRUE(fs.BuildingImageStore);
    fs.LoadFigureImages(3);
    ASSERT_TRUE(fs.WriteImageStore());
    EXPECT_FALSE(fs.BuildingImageStore);
  }

  // A later run: the store is read, then the figures are loaded.
  std::unique_ptr<FigureStore> NextRun() {
    auto fs = std::make_unique<FigureStore>(dir.Path());
    fs->ReadImageStore();
    fs->LoadFigureImages(3);
    return fs;
  }

  static void ExpectFigures(const FigureStore& fs) {
    ASSERT_TRUE(fs.HasImage(0));
    ASSERT_TRUE(fs.HasImage(1));
    ASSERT_TRUE(fs.HasImage(2));
    EXPECT_EQ(fs.Figure(0)->Width(), 4);
    EXPECT_EQ(fs.Figure(1)->Width(), 6);
    EXPECT_EQ(fs.Figure(2)->Height(), 8);
    EXPECT_EQ(fs.Figure(1)->Pixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(fs.Figure(1)->Pixel(3, 1), 0u);  // the key colour inside the figure is see-through too
    EXPECT_EQ(fs.Figure(2)->Pixel(0, 0), 0u);
  }
};

TEST_F(FigureStoreTest, FirstRunWritesTheExactLayout) {
  FirstRun();
  const std::string bytes = dir.Read("image.store");
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(std::memcmp(bytes.data(), "\x60\xF8\xFF\xFF", 4), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + bytes.size() - 4, "\x60\xF8\xFF\xFF", 4), 0);

  // Entries in figure order, each named by its full path in UTF-16LE.
  size_t pos = 4;
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    const std::string path = dir.File("Neu" + std::to_string(n) + ".png");
    const int32_t len = I32At(bytes, pos);
    ASSERT_EQ(len, static_cast<int32_t>(2 * path.size()));
    for (size_t i = 0; i < path.size(); ++i) {
      EXPECT_EQ(bytes[pos + 4 + 2 * i], path[i]);
      EXPECT_EQ(bytes[pos + 4 + 2 * i + 1], '\0');
    }
    pos += 4 + static_cast<size_t>(len);
    const int64_t size = I64At(bytes, pos);
    pos += 8;
    ASSERT_GT(size, 8);
    EXPECT_EQ(bytes.substr(pos, 4), "\x89PNG");
    pos += static_cast<size_t>(size);
  }
  EXPECT_EQ(pos + 4, bytes.size());
}

TEST_F(FigureStoreTest, LaterRunsServeFiguresFromTheStore) {
  FirstRun();
  // A changed file is not looked at; a deleted one leaves its figure empty.
  test::WriteFigure(dir, 0, 30, 30, 0xFF123456u);
  std::filesystem::remove(dir.File("Neu2.png"));
  auto fs = NextRun();
  EXPECT_FALSE(fs->BuildingImageStore);
  EXPECT_EQ(fs->Store().size(), 3u);
  EXPECT_EQ(fs->Figure(0)->Width(), 4);
  EXPECT_EQ(fs->Figure(1)->Pixel(3, 1), 0u);
  EXPECT_FALSE(fs->HasImage(2));
  EXPECT_EQ(fs->FrameWidth(2), 0);
}

TEST_F(FigureStoreTest, DecodedFiguresStayButAVanishedFileNeverAppears) {
  FirstRun();
  std::filesystem::remove(dir.File("Neu2.png"));
  auto fs = NextRun();
  const Bitmap* first = fs->Figure(0);
  const uint64_t id = first->Id();
  fs->LoadFigureImages(3);  // the next level start
  EXPECT_EQ(fs->Figure(0), first);
  EXPECT_EQ(fs->Figure(0)->Id(), id);
  EXPECT_FALSE(fs->HasImage(2));
}

// Whatever is wrong with the store file, the figures come up and the store is rebuilt.
TEST_F(FigureStoreTest, DamagedStoreFilesAreRebuilt) {
  FirstRun();
  const std::string good = dir.Read("image.store");
  const size_t first_entry_end = 4 + 4 + 2 * dir.File("Neu0.png").size() + 8 +
                                 static_cast<size_t>(I64At(good, 4 + 4 + 2 * dir.File("Neu0.png").size()));
  struct Case {
    const char* name;
    std::string content;
    size_t kept;  // entries read before the damage
  } cases[] = {
      {"wrong start marker", std::string("\x61\xF8\xFF\xFF", 4) + good.substr(4), 0},
      {"empty file", "", 0},
      {"cut inside the second entry", good.substr(0, first_entry_end + 20), 1},
      {"no end marker", good.substr(0, good.size() - 4), 3},
      {"cut inside a length", good.substr(0, first_entry_end + 2), 1},
      {"negative name length", good.substr(0, first_entry_end) + std::string("\x10\x00\x00\x80", 4), 1},
      {"image size beyond the file", good.substr(0, 4 + 4 + 2 * dir.File("Neu0.png").size()) +
                                         std::string("\xff\xff\xff\x0f\x00\x00\x00\x00", 8),
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("image.store", c.content);
    FigureStore fs(dir.Path());
    fs.ReadImageStore();
    EXPECT_EQ(fs.Store().size(), c.kept);
    EXPECT_TRUE(fs.BuildingImageStore);
    ASSERT_NO_THROW(fs.LoadFigureImages(3));
    ExpectFigures(fs);
    EXPECT_EQ(fs.Store().size(), 3u);
    ASSERT_TRUE(fs.WriteImageStore());

    auto again = NextRun();
    EXPECT_FALSE(again->BuildingImageStore);
    EXPECT_EQ(again->Store().size(), 3u);
    ExpectFigures(*again);
  }
}

TEST_F(FigureStoreTest, FigureMissingFromTheStoreIsTakenFromItsFile) {
  std::filesystem::rename(dir.File("Neu2.png"), dir.File("later.png"));
  FirstRun();
  std::filesystem::rename(dir.File("later.png"), dir.File("Neu2.png"));
  auto fs = NextRun();
  ExpectFigures(*fs);
  EXPECT_TRUE(fs->BuildingImageStore);
  EXPECT_EQ(fs->Store().size(), 3u);
}

TEST_F(FigureStoreTest, StoreEntryThatNoLongerDecodesIsReplaced) {
  FirstRun();
  std::string bytes = dir.Read("image.store");
  const size_t png = 4 + 4 + 2 * dir.File("Neu0.png").size() + 8;
  bytes.replace(png, 8, "garbage!");
  dir.Write("image.store", bytes);
  auto fs = NextRun();
  ExpectFigures(*fs);
  EXPECT_TRUE(fs->BuildingImageStore);
  EXPECT_EQ(fs->Store().size(), 3u);
}

TEST_F(FigureStoreTest, AStoreEntryThatIsNotPngIsNeverDecoded) {
  FirstRun();
  {
    FigureStore fs(dir.Path());
    fs.ReadImageStore();
    // Something the image library would happily decode, but not what the store ever holds.
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40'/>";
    fs.Store()[0].fs.assign(svg.begin(), svg.end());
    ASSERT_TRUE(fs.WriteImageStore());
  }
  auto fs = NextRun();
  ExpectFigures(*fs);  // figure 0 is the red 4 x 3 picture from its file
  EXPECT_TRUE(fs->BuildingImageStore);
}

TEST_F(FigureStoreTest, AMovedDataFolderDoesNotGrowTheStore) {
  FirstRun();
  TempDir moved;
  for (const char* name : {"Neu0.png", "Neu1.png", "Neu2.png", "image.store"})
    std::filesystem::copy_file(dir.File(name), moved.File(name));
  for (int start = 0; start < 3; ++start) {
    FigureStore fs(moved.Path());
    fs.ReadImageStore();
    fs.LoadFigureImages(3);
    ExpectFigures(fs);
    if (fs.BuildingImageStore) {
      ASSERT_TRUE(fs.WriteImageStore());
    }
  }
  FigureStore again(moved.Path());
  again.ReadImageStore();
  ASSERT_EQ(again.Store().size(), 3u);
  for (const auto& e : again.Store()) EXPECT_EQ(e.Filename.rfind(moved.Path(), 0), 0u) << e.Filename;
  EXPECT_FALSE(again.BuildingImageStore);
}

TEST_F(FigureStoreTest, ShortOrUndecodableFigureFileIsAnError) {
  dir.Write("Neu3.png", "tiny");
  FigureStore fs(dir.Path());
  fs.BuildingImageStore = true;
  try {
    fs.LoadFigureImages(3);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), dir.File("Neu3.png") + " --> read error");
  }
  dir.Write("Neu3.png", std::string(64, 'x'));
  try {
    fs.LoadFigureImages(3);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind(dir.File("Neu3.png") + " --> ", 0), 0u) << e.what();
  }
}

// A headless replay keeps only the figures' sizes: the same sizes, no pixels, no store copies, and
// a file that is no PNG is decoded as before (and fails as before).
TEST_F(FigureStoreTest, SizesOnlyGivesTheSizesWithoutDecoding) {
  FigureStore fs(dir.Path());
  fs.SizesOnly = true;
  fs.LoadFigureImages(3);
  ASSERT_TRUE(fs.HasImage(0));
  EXPECT_EQ(fs.Figure(0)->Width(), 4);
  EXPECT_EQ(fs.Figure(0)->Height(), 3);
  EXPECT_EQ(fs.Figure(1)->Width(), 6);
  EXPECT_EQ(fs.Figure(2)->Height(), 8);
  EXPECT_FALSE(fs.Figure(2)->HasPixels());
  EXPECT_TRUE(fs.Store().empty());

  dir.Write("Neu3.png", std::string(64, 'x'));
  FigureStore broken(dir.Path());
  broken.SizesOnly = true;
  EXPECT_THROW(broken.LoadFigureImages(3), std::runtime_error);
}

TEST(FigureStoreNameTest, StoreNameMatch) {
  struct Case {
    const char *a, *b;
    bool match;
  } cases[] = {
      {"D:\\a\\figs\\Neu8.png", "C:\\x\\y\\figs\\Neu8.png", true},
      {"C:\\K\\Neu8.png", "D:\\K\\Neu8.png", true},
      {"C:\\K\\Neu8.png", "C:\\K\\neu8.png", false},
      {"/home/a/.local/share/KIRPO/Neu8.png", "/home/a/.local/share/KIRPO/Neu8.png", true},
      {"/home/a/.local/share/KIRPO/Neu8.png", "/home/a/.local/share/KIRPO/Neu18.png", false},
      {"/hom/figs/Neu1.png", "/abc/figs/Neu1.png", true},
      {"/a/figsXNeu1.png", "/bc/figsYNeu1.png", true},  // the character after "figs" is skipped
      {"/a/figs/Neu1.png", "/a/figs/Neu2.png", false},
      {"abc", "xyz", true},  // both tails are empty
      // The tail is counted in characters, not bytes: "äöüß" are four characters.
      {"äöüß/Neu1.png", "abcd/Neu1.png", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(FigureStore::StoreNameMatch(c.a, c.b), c.match);
  }
}

TEST(FigureStoreNameTest, NamesSurviveTheRoundTripThroughUtf16) {
  const std::string name = "/home/jürgen/Daten/€/𝄞/Neu1.png";
  const std::u16string u = Utf8ToUtf16(name);
  EXPECT_EQ(Utf16ToUtf8(u), name);
  EXPECT_EQ(u.size(), name.size() - 1 - 2 - 2);  // ü is 2 bytes/1 unit, € 3/1, 𝄞 4/2
}

TEST(FigureStoreFieldTest, GetField) {
  struct Case {
    const char* line;
    int n;
    const char* field;
  } cases[] = {{"1;2;3;4", 1, "1"}, {"1;2;3;4", 4, "4"}, {"1;2;3;4", 5, ""}, {"1;;3", 2, ""},
               {"1;;3", 3, "3"},    {"", 1, ""},         {"abc", 1, "abc"}, {"a;b", 0, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " #" + std::to_string(c.n));
    EXPECT_EQ(GetField(c.line, c.n, ';'), c.field);
  }
}

struct FigureMovieTest : ::testing::Test {
  TempDir dir;
  FigureStore fs{dir.Path()};
  void SetUp() override {
    test::WriteFigure(dir, 10, 520, 52, 0xFF00FF00u);
    test::WriteFigure(dir, 11, 520, 52, 0xFF00FF00u);
    test::WriteFigure(dir, 12, 157, 40, 0xFF00FF00u);
    test::WriteFigure(dir, 13, 100, 40, 0xFF00FF00u);
    fs.BuildingImageStore = true;
  }
};

TEST_F(FigureMovieTest, FrameWidthFollowsTheMovieList) {
  dir.Write("Kirpo-Movies.txt", "Nr;Frames;a;b\r\n10;10;0;0\r\n\r\n12;3;1;1\r\n13;0;0;0\r\n");
  fs.LoadMovieList();
  fs.LoadFigureImages(3);
  ASSERT_EQ(fs.MovieList().size(), 3u);
  EXPECT_EQ(fs.FrameWidth(10), 52);
  EXPECT_EQ(fs.FrameWidth(11), 520);    // no entry: the whole picture
  EXPECT_EQ(fs.FrameWidth(12), 52);     // 157 / 3 rounded
  EXPECT_EQ(fs.FrameWidth(13), 100);    // a strip of no frames is shown whole
  EXPECT_EQ(fs.FrameHeight(10), 52);
  for (int n : {-1, 14, 210, 400, 401, 5000}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(fs.Figure(n), nullptr);
    EXPECT_FALSE(fs.HasImage(n));
    EXPECT_EQ(fs.FrameWidth(n), 0);
    EXPECT_EQ(fs.FrameHeight(n), 0);
  }
}

TEST_F(FigureMovieTest, BadMovieLineEndsTheList) {
  dir.Write("Kirpo-Movies.txt", "header\n10;10;0;0\n11;5\n12;3;1;1\n");
  fs.LoadMovieList();
  ASSERT_EQ(fs.MovieList().size(), 1u);
  EXPECT_EQ(fs.MovieList()[0].figure, 10);
  EXPECT_EQ(fs.MovieList()[0].frames, 10);

  FigureStore other(dir.Path());
  dir.Write("Kirpo-Movies.txt", "header\n10;x;0;0\n");
  other.LoadMovieList();
  EXPECT_TRUE(other.MovieList().empty());
}

TEST_F(FigureMovieTest, MovieListHoldsAHundredEntries) {
  std::string text = "header\n";
  for (int i = 0; i < 150; ++i) text += std::to_string(i) + ";2;0;0\n";
  dir.Write("Kirpo-Movies.txt", text);
  fs.LoadMovieList();
  EXPECT_EQ(fs.MovieList().size(), 100u);
}

TEST(FigureTransparencyTest, KeyColourBecomesTransparentEverywhere) {
  Bitmap b(3, 2, 0xFF010203u);
  b.SetPixel(0, 0, 0x80FFFFFFu);
  b.SetPixel(2, 1, 0x80FFFFFFu);
  b.SetPixel(1, 1, 0xFFFFFFFFu);  // same colour, other alpha: stays
  const uint64_t version = b.Version();
  FigureStore::MakeTransparent(b);
  EXPECT_EQ(b.Pixel(0, 0), 0u);
  EXPECT_EQ(b.Pixel(2, 1), 0u);
  EXPECT_EQ(b.Pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF010203u);
  EXPECT_NE(b.Version(), version);
  Bitmap empty;
  FigureStore::MakeTransparent(empty);  // nothing to do, nothing to break
}

}  // namespace
}  // namespace kirpo

namespace kirpo {
namespace {

TEST_F(FigureStoreTest, ALargePictureIsHeldEncodedAndStaysTheSamePictureThroughReleases) {
  // A backdrop-sized figure with a key-coloured corner, beside the small ones.
  test::WriteFigure(dir, 3, test::FigurePicture(640, 480, 0xFF336699u));
  FirstRun();
  auto fs = NextRun();
  ASSERT_TRUE(fs->HasImage(3));
  EXPECT_EQ(fs->Width(3), 640);
  EXPECT_EQ(fs->FrameHeight(3), 480);
  const Bitmap* slot = fs->Figure(3);
  EXPECT_FALSE(slot->PixelsInMemory()) << "not decoded before it is drawn";
  EXPECT_TRUE(slot->HasPixels());
  EXPECT_EQ(slot->Pixel(100, 100), 0xFF336699u);
  EXPECT_EQ(slot->Pixel(0, 0), 0u);  // see-through where the key colour was
  EXPECT_FALSE(slot->Opaque());
  slot->DropPixels();  // what a canvas does once its texture holds them
  EXPECT_FALSE(slot->PixelsInMemory());
  EXPECT_EQ(slot->Pixel(100, 100), 0xFF336699u);
  const Bitmap* small = fs->Figure(1);
  EXPECT_FALSE(small->PixelsInMemory()) << "small figures too are held as their bytes until drawn";
  EXPECT_TRUE(small->HasPixels());
  const uint64_t small_id = small->Id();

  const uint64_t id = slot->Id();
  fs->ReleaseUnusedPictures();  // asked for since the last release: kept as it is
  EXPECT_EQ(slot->Id(), id);
  fs->ReleaseUnusedPictures();  // not asked for since: a new identity, so canvases drop its texture
  EXPECT_NE(slot->Id(), id);
  EXPECT_EQ(small->Id(), small_id) << "a small figure keeps its identity, and with it its texture";
  EXPECT_FALSE(slot->PixelsInMemory());
  EXPECT_EQ(fs->Figure(3), slot) << "the same place, so whatever points at it still shows it";
  EXPECT_EQ(slot->Pixel(100, 100), 0xFF336699u);
}

}  // namespace
}  // namespace kirpo
