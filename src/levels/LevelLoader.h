#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kirpo {

struct LevelScene;

// Reads "generatedfigures_<Level>.txt" into the background bitmap and the sprite list.
void LoadLevelFile(LevelScene& g);
// The path of level's file in the data folder.
std::string LevelFilePath(const std::string& data_dir, int level);
// The items of one level-file line: separated by commas, and outside double quotes also by
// blanks and control characters; a quoted item keeps its blanks and commas ("" is one quote).
std::vector<std::string> SplitLevelLine(const std::string& line);
// The value of the first item name=value whose name equals key ignoring case; "" when none.
std::string GetLineValue(const std::string& line, const std::string& key);
int GetTypIndex(const LevelScene& g, const std::string& name);
int GetRichtungIndex(const LevelScene& g, const std::string& name);
// Places the one block template at a block's position with its figure.
void SetupBlockTemplate(LevelScene& g, int32_t typ, int32_t x, int32_t y, int32_t z, int32_t ebene, double hoehe,
                        int32_t richtung, int32_t fignr, bool collisions, int64_t ivtime);

}  // namespace kirpo
