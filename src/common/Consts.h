#pragma once
#include <cstdint>

namespace kirpo {

constexpr int DesignWidth = 1920;
constexpr int DesignHeight = 1200;
constexpr int CellSize = 52;
constexpr int FieldOriginX = 0;
constexpr int FieldOriginY = 2;
constexpr int MaxSprites = 999;
constexpr int FigureSlots = 401;
constexpr int FigureCount = 92;  // Neu0.png .. Neu91.png
constexpr int LastLevel = 56;
// Far above what all levels give; a stored score beyond it is damage, and play stops counting there
// instead of wrapping into negative numbers.
constexpr int32_t MaxScore = 9999999;
constexpr int32_t AddToScore(int32_t score, int32_t points) {
  return points >= MaxScore - score ? MaxScore : score + points;
}

constexpr int LayoutWidth = 960;  // the main form's scaled layout
constexpr int LayoutHeight = 600;
// The window's title, from its first moment (in full screen there is none).
constexpr const char* WindowCaption = "Kirpo written by Vambrecht";

// Sprite type codes, as named in the level files.
enum SpriteType : int32_t {
  TypDied = 0,
  TypRunner = 1,
  TypDoor = 2,
  TypBBall = 3,
  TypRBall = 4,
  TypKMonster = 5,
  TypGMonster = 6,
  TypPilz = 7,
  TypStein = 8,
  TypT500 = 9,
  TypT1000 = 10,
  TypIgn = 11,
  TypMovie = 12,
  TypTruemmer = 13,
  TypEndGegner = 14,
  TypNebel = 15,
  TypSchussK = 16,
  TypTouch = 17,
};
constexpr int TypeCount = 18;
extern const char* const TypeNames[TypeCount];

enum Richtung : int32_t {
  RiNull = 0,
  RiNord = 1,  // up, -y
  RiOst = 2,   // right, +x
  RiSued = 3,  // down, +y
  RiWest = 4,  // left, -x
  RiNordOst = 5,
  RiSuedOst = 6,
  RiSuedWest = 7,
  RiNordWest = 8,
};
constexpr int DirectionCount = 9;
extern const char* const DirectionNames[DirectionCount];

enum class TAlign : uint8_t { alNone, alLeft, alTop, alRight, alBottom, alCenter };

// Index into DefaultSpeeds.
enum SpeedClass { SpeedRunner, SpeedKMonster, SpeedGMonster, SpeedRBall, SpeedBBall, SpeedPilz, SpeedSchuss };

// Virtual-key codes the game reads from its 256-byte key state.
enum VirtualKey : int {
  VK_BACK = 8,
  VK_RETURN = 13,
  VK_CONTROL = 17,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_F1 = 112,
  VK_F5 = 116,
  VK_F12 = 123,
  // A game controller's own buttons, numbered as the desktop systems number them, for what has no key.
  VK_GAMEPAD_A = 195,
  VK_GAMEPAD_VIEW = 208,  // Back (Select)
};

// Exit codes of the fatal errors.
enum ExitCode : int {
  ExitNoWindow = 1,  // no display, or the window cannot be made
  ExitInstall = 2,
  ExitAlreadyRunning = 3,  // another running game holds the data folder
  ExitFrame = 33,
  ExitLevelFileMissing = 69,
  ExitLevelFileBad = 77,
  ExitAudioStream = 84,
  ExitAudioPlay = 85,
  ExitLevelConversion = 78,  // a malformed number in a level file
  ExitUnexpected = 70,       // anything else that reaches the top of the program
};

}  // namespace kirpo
