#include "levels/LevelLoader.h"

#include "common/Rounding.h"
#include "levels/LevelScene.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "sprites/SpriteDraw.h"
#include "sprites/SpriteOps.h"
#include "sprites/Utf16.h"

namespace kirpo {

namespace {

// Blanks and control characters separate items outside quotes (bytes 1..32).
bool IsBlank(unsigned char c) { return c >= 1 && c <= ' '; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string ValueOf(const std::vector<std::string>& items, const std::string& key) {
  for (const std::string& item : items) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos) continue;
    if (SameText(item.substr(0, eq), key)) return item.substr(eq + 1);
  }
  return {};
}

// A whole decimal number in the range of int32, with an optional sign.
bool ParseInt32(const std::string& text, int32_t& out) {
  size_t i = 0;
  bool neg = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// Level files are plain text; a byte-order mark selects UTF-8 or UTF-16.
std::string DecodeLevelText(const std::vector<uint8_t>& bytes) {
  const size_t n = bytes.size();
  if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return std::string(bytes.begin() + 3, bytes.end());
  if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return Utf16ToUtf8(Utf16FromBytes(bytes.data() + 2, n - 2, false));
  if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return Utf16ToUtf8(Utf16FromBytes(bytes.data() + 2, n - 2, true));
  return std::string(bytes.begin(), bytes.end());
}

struct LineReader {
  const std::vector<std::string>& items;
  const std::string& file;
  size_t line_no;

  std::string Text(const char* key) const { return ValueOf(items, key); }
  // A malformed number ends the load with a message that says where to look.
  int32_t Int(const char* key) const {
    const std::string v = ValueOf(items, key);
    int32_t out = 0;
    if (!ParseInt32(v, out))
      FatalError(ExitLevelConversion,
                 "Bad number in " + file + ", line " + std::to_string(line_no) + ": " + key + "=" + v);
    return out;
  }
};

bool HasFixedSpeed(int t) {
  return t == TypKMonster || t == TypGMonster || t == TypBBall || t == TypRBall || t == TypPilz;
}

int32_t FixedSpeed(const LevelScene& g, int t) {
  switch (t) {
    case TypKMonster: return g.st.DefaultSpeeds[SpeedKMonster];
    case TypGMonster: return g.st.DefaultSpeeds[SpeedGMonster];
    case TypBBall: return g.st.DefaultSpeeds[SpeedBBall];
    case TypRBall: return g.st.DefaultSpeeds[SpeedRBall];
    default: return g.st.DefaultSpeeds[SpeedPilz];
  }
}

// Whether a line's options name this word (blank-separated, any letter case).
bool HasOption(const std::string& options, const char* word) {
  size_t p = 0;
  while (p < options.size()) {
    while (p < options.size() && IsBlank(static_cast<unsigned char>(options[p]))) ++p;
    size_t end = p;
    while (end < options.size() && !IsBlank(static_cast<unsigned char>(options[end]))) ++end;
    if (end > p && SameText(options.substr(p, end - p), word)) return true;
    p = end;
  }
  return false;
}

// Monsters depend on the difficulty: kmonsters from Hard on, gmonsters on Crazy. A monster whose
// options say "easy" appears on every difficulty, so Easy can teach the threat and the mushroom
// too. The recorded demo shows them all; a replayed demo plays on its own difficulty.
bool DifficultyAllows(const LevelScene& g, int t, const std::string& options) {
  if (g.st.Demomode && !g.st.DemoReplay) return true;
  const int32_t difficulty = g.st.Demomode ? g.st.DemoReplayDifficulty : g.st.Difficulty;
  if ((t == TypGMonster || t == TypKMonster) && HasOption(options, "easy")) return true;
  if (t == TypGMonster) return difficulty == 2;
  if (t == TypKMonster) return difficulty == 1 || difficulty == 2;
  return true;
}

}  // namespace

std::vector<std::string> SplitLevelLine(const std::string& line) {
  std::vector<std::string> items;
  // A NUL ends the line, as it always did.
  const std::string text = line.substr(0, line.find('\0'));
  const size_t n = text.size();
  auto at = [&](size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(text[i]) : 0; };
  size_t p = 0;
  while (IsBlank(at(p))) ++p;
  while (at(p) != 0) {
    std::string item;
    if (at(p) == '"') {
      ++p;
      while (at(p) != 0) {
        if (at(p) == '"') {
          if (at(p + 1) == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += static_cast<char>(at(p));
        ++p;
      }
    } else {
      const size_t start = p;
      while (at(p) > ' ' && at(p) != ',') ++p;
      item = text.substr(start, p - start);
    }
    items.push_back(std::move(item));
    while (IsBlank(at(p))) ++p;
    if (at(p) == ',') {
      if (at(p + 1) == 0) items.emplace_back();
      do {
        ++p;
      } while (IsBlank(at(p)));
    }
  }
  return items;
}

std::string GetLineValue(const std::string& line, const std::string& key) { return ValueOf(SplitLevelLine(line), key); }

int GetTypIndex(const LevelScene& g, const std::string& name) {
  if (SameText(name, "BACKGROUND")) return 0;
  for (int i = 0; i < TypeCount; ++i)
    if (SameText(name, TypeNames[i])) return i;
  FatalError(ExitLevelFileBad, "CreateLevelSprites: Falscher Typ in GeneratedFigures-" + std::to_string(g.st.Level) +
                                   ".txt, Typ=" + name);
}

int GetRichtungIndex(const LevelScene& g, const std::string& name) {
  if (SameText(name, "NULL")) return 0;
  for (int i = 0; i < DirectionCount; ++i)
    if (SameText(name, DirectionNames[i])) return i;
  FatalError(ExitLevelFileBad, "GetRichtungIndex: Falsche Richtung in GeneratedFigures-" +
                                   std::to_string(g.st.Level) + ".txt, R=" + name);
}

void SetupBlockTemplate(LevelScene& g, int32_t typ, int32_t x, int32_t y, int32_t z, int32_t ebene, double hoehe,
                        int32_t richtung, int32_t fignr, bool collisions, int64_t ivtime) {
  (void)typ, (void)collisions;
  TSprite& t = g.world.EnsureBlockTemplate();
  SetImage(g, t, fignr);
  t.X = static_cast<float>(x);
  t.Y = static_cast<float>(y);
  t.Z = z;
  AddFieldOrigin(t.X, t.Y);
  t.FigNr = fignr;
  t.TypHoehe = static_cast<float>(hoehe);
  t.TypEbene = ebene;
  t.TypDirection = richtung;
  t.raks = 40;
  t.IntervalTime = ivtime;
  t.TimeCreated = g.st.Now();
}

std::string LevelFilePath(const std::string& data_dir, int level) {
  return data_dir + "generatedfigures_" + std::to_string(level) + ".txt";
}

void LoadLevelFile(LevelScene& g) {
  const std::string file = "generatedfigures_" + std::to_string(g.st.Level) + ".txt";
  const std::string path = LevelFilePath(g.DataDir, g.st.Level);
  std::vector<uint8_t> bytes;
  if (!FileExists(path) || !ReadFileBytes(path, bytes)) FatalError(ExitLevelFileMissing, "File not found: " + path);
  const std::vector<std::string> lines = SplitLines(DecodeLevelText(bytes));

  // Blocks are drawn into the background, which is never shown where figures have no pixels.
  // Kept as the list of its blocks and painted at the size it is shown: at the design size it
  // would be the largest picture the game holds.
  auto background = std::make_shared<CompositePicture>(DesignWidth, DesignHeight, 0xFF000000u);
  g.BackgroundBitmap = g.figures.SizesOnly ? Bitmap::SizeOnly(DesignWidth, DesignHeight)
                                           : Bitmap::FromSource(DesignWidth, DesignHeight, background);

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> items = SplitLevelLine(lines[i]);
    const int t = GetTypIndex(g, ValueOf(items, "Typ"));
    if (t == TypDied) continue;

    const LineReader r{items, file, i + 1};
    const int32_t x = r.Int("X");
    const int32_t y = r.Int("Y");
    // Every rule works on places inside the design space; a figure far outside it would only
    // overflow the arithmetic that follows.
    if (x < 0 || x >= DesignWidth - FieldOriginX || y < 0 || y >= DesignHeight - FieldOriginY)
      FatalError(ExitLevelFileBad, "Position outside the field in " + file + ", line " + std::to_string(i + 1) +
                                       ": X=" + std::to_string(x) + ", Y=" + std::to_string(y));
    const int32_t ebene = r.Int("Ebene");
    const int32_t hoehe = r.Int("Hoehe");
    const std::string richtung = r.Text("Richtung");
    const int32_t fignr = r.Int("FigNr");
    const std::string collisions = r.Text("Collisions");
    const int32_t ivtime = r.Int("IVTime");
    const std::string speed_text = r.Text("Speed");
    const std::string gruppe = r.Text("Gruppe");
    const std::string optionen = r.Text("Optionen");

    bool collide = true;
    int64_t ivt = 20;
    if (t == TypStein) {
      collide = SameText(collisions, "TRUE");
      ivt = ivtime == 0 ? 20 : ivtime;
    }
    int32_t speed = 0;
    if (!ParseInt32(speed_text, speed)) speed = 0;
    if (HasFixedSpeed(t)) speed = FixedSpeed(g, t);

    // A figure without a picture, or a number outside the table, leaves nothing to place.
    if (!g.figures.HasImage(fignr)) continue;

    if (t == TypStein) {
      SetupBlockTemplate(g, TypStein, x, y, -1, ebene, hoehe, GetRichtungIndex(g, richtung), fignr, collide, ivt);
      TSprite& block = *g.world.BlockTemplate();
      block.ImageNr = block.FigNr;
      const RectF dest{static_cast<float>(Round(block.X)), static_cast<float>(Round(block.Y)),
                       static_cast<float>(Round(block.X + block.PatternWidth)),
                       static_cast<float>(Round(block.Y + block.PatternHeight))};
      if (!g.figures.SizesOnly) DrawStein(g, block, *background, dest, 1.0f);
      MapSprite(g, block, true);
      continue;
    }

    if (!DifficultyAllows(g, t, optionen)) continue;
    TSprite* s = CreateSprite(g, t, x, y, -1, ebene, hoehe, GetRichtungIndex(g, richtung), fignr, collide, ivt);
    if (!s) continue;
    s->AnfangX = x;
    s->AnfangY = y;
    s->TypSpeed = static_cast<float>(speed);
    s->TypGruppe = gruppe;
    s->TypOptionen = optionen;
  }
}

}  // namespace kirpo
