// kirpo_levelsheet: draws figure 37, the level previews of the training list, from the level
// files with the game's own level loader and drawing: one 280 x 200 cell per level in rows of five,
// the level's number in its corner. The build runs it and puts the picture into the data package.
//
//   kirpo_levelsheet <data-folder> <out.png>
//
// The data folder holds the level files and the figures. A level without a file gets a card with
// its number; a level file the game cannot load ends the tool with the game's message and code.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/Game.h"
#include "game/GameFrame.h"
#include "levels/LevelBuild.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"

namespace {

using kirpo::RectF;

constexpr int CellW = 280, CellH = 200, PerRow = 5;
constexpr int SheetW = CellW * PerRow, SheetH = CellH * ((kirpo::LastLevel + PerRow) / PerRow);
// The play-field without the button panel on its right.
constexpr float FieldW = kirpo::DesignWidth - 256, FieldH = kirpo::DesignHeight;
constexpr uint32_t Backdrop = 0xFF0B1740;

void Number(kirpo::Canvas& c, const RectF& cell, const std::string& text, float size, bool centred) {
  const RectF box = centred ? cell : RectF{cell.left + 10, cell.top + 4, cell.right, cell.top + 4 + size * 1.4f};
  const kirpo::TextAlign h = centred ? kirpo::TextAlign::Center : kirpo::TextAlign::Leading;
  // A dark shadow keeps the number readable over any level.
  const RectF shadow{box.left + 3, box.top + 3, box.right + 3, box.bottom + 3};
  c.DrawText(text, shadow, size, true, 0xFF000000, 1, h, h);
  c.DrawText(text, box, size, true, 0xFFFFE14D, 1, h, h);
}

// The level as the game draws it at its start, every monster shown.
void DrawLevel(kirpo::Game& g, kirpo::Host& field, int level) {
  kirpo::FreeSpriteEngine(g, true, false, false);
  g.st.Level = level;
  g.world.ClearMap();
  kirpo::InitSpriteEngine(g);
  for (kirpo::TSprite& s : g.world.Sprites()) s.ImageNr = s.FigNr;
  kirpo::Canvas& c = field.GetCanvas();
  c.Clear(Backdrop);
  g.PaintCanvas = &c;
  kirpo::DrawPass(g);
  g.PaintCanvas = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kirpo_levelsheet <data-folder> <out.png>\n");
    return 2;
  }
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  kirpo::ManualClock clock(0);  // the picture is the same at every build
  kirpo::SetGameClock(&clock);
  int code = 0;
  {
    std::unique_ptr<kirpo::Host> field = kirpo::CreateOffscreenHost(kirpo::DesignWidth, kirpo::DesignHeight);
    std::unique_ptr<kirpo::Host> sheet = kirpo::CreateOffscreenHost(SheetW, SheetH);
    if (!field || !sheet) {
      std::fprintf(stderr, "kirpo_levelsheet: no offscreen picture\n");
      return 1;
    }
    kirpo::Game g(dir);
    g.figures.KeepStore = false;
    g.figures.LoadMovieList();
    g.figures.LoadFigureImages(3);
    g.PboxOpacity = 1;
    g.st.Difficulty = 2;
    kirpo::Canvas& out = sheet->GetCanvas();
    out.Clear(0xFF000000);
    try {
      for (int level = 0; level <= kirpo::LastLevel; ++level) {
        const float x = static_cast<float>(level % PerRow * CellW), y = static_cast<float>(level / PerRow * CellH);
        const RectF cell{x, y, x + CellW, y + CellH};
        out.FillRect(cell, Backdrop, 1);
        const std::string number = std::to_string(level + 1);
        if (!kirpo::FileExists(dir + "generatedfigures_" + std::to_string(level) + ".txt")) {
          Number(out, cell, number, 72, true);
          continue;
        }
        DrawLevel(g, *field, level);
        std::unique_ptr<kirpo::Bitmap> picture = field->ReadPixels();
        const float scale = std::min(CellW / FieldW, CellH / FieldH);
        const float left = x + (CellW - FieldW * scale) / 2;
        out.DrawBitmap(*picture, RectF{0, 0, FieldW, FieldH}, RectF{left, y, left + FieldW * scale, y + FieldH * scale}, 1);
        Number(out, cell, number, 26, false);
      }
    } catch (const kirpo::FatalErrorException& e) {
      std::fprintf(stderr, "kirpo_levelsheet: error %d: %s\n", e.Code(), e.what());
      code = e.Code();
    }
    g.timers.Clear();
    if (code == 0) {
      std::unique_ptr<kirpo::Bitmap> bmp = sheet->ReadPixels();
      if (!bmp || bmp->Empty()) {
        std::fprintf(stderr, "kirpo_levelsheet: no picture drawn\n");
        return 1;
      }
      // Figures are keyed by their first pixel: that one alone is transparent, the rest opaque.
      for (int yy = 0; yy < bmp->Height(); ++yy)
        for (int xx = 0; xx < bmp->Width(); ++xx) bmp->SetPixel(xx, yy, bmp->Pixel(xx, yy) | 0xFF000000u);
      bmp->SetPixel(0, 0, 0);
      if (!bmp->SavePng(argv[2])) {
        std::fprintf(stderr, "kirpo_levelsheet: cannot write %s\n", argv[2]);
        code = 1;
      }
    }
  }
  kirpo::SetGameClock(nullptr);
  return code;
}
