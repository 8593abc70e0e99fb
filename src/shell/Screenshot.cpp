#include "shell/Screenshot.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Desktop.h"
#include "platform/FileUtil.h"

namespace kirpo {

namespace {

// The value of XDG_PICTURES_DIR in user-dirs.dirs: "$HOME/..." or an absolute path in quotes;
// empty when the file does not name it.
std::string PicturesDirFromUserDirs(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file = (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
  std::string text;
  if (!ReadFileText(file, text)) return {};
  for (const std::string& raw : SplitLines(text)) {
    std::string line = raw;
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 17, "XDG_PICTURES_DIR=") != 0) continue;
    std::string value = line.substr(start + 17);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (value.empty() || value.front() != '/') return {};
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }
  return {};
}

}  // namespace

std::string ScreenshotFolder() {
  const std::string home = HomeDir();
  std::string pictures = PicturesDirFromUserDirs(home);
  // A desktop without a pictures folder of its own names the home folder itself.
  if (pictures.empty() || pictures == home) pictures = home + "/Pictures";
  return pictures + "/Kirpo/";
}

std::string ScreenshotName(std::time_t when, int attempt) {
  std::tm local{};
  char stamp[32] = "picture";
  if (localtime_r(&when, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  return std::string("kirpo-") + stamp + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".png";
}

std::string SaveScreenshot(const Bitmap& picture, const std::string& folder, std::time_t when, std::string* error) {
  const std::vector<uint8_t> png = picture.EncodePng();
  if (png.empty()) {
    if (error) *error = "the picture could not be encoded";
    return {};
  }
  if (!MakeDirs(folder)) {
    if (error) *error = "Cannot make the folder " + folder;
    return {};
  }
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    const std::string name = ScreenshotName(when, attempt);
    if (WriteNewFileAtomically(folder + name, png.data(), png.size())) return name;
    if (errno != EEXIST) {
      if (error) *error = DescribeWriteError(folder + name, errno);
      return {};
    }
  }
  if (error) *error = "every name for this second is taken in " + folder;
  return {};
}

void DrawScreenshotNotice(Canvas& canvas, const std::string& text) {
  const float w = float(canvas.Width()), h = float(canvas.Height());
  const float size = std::max(12.0f, h / 30.0f);
  const SizeF m = canvas.MeasureText(text, size, true);
  const float pad = size * 0.5f;
  const RectF band{pad, h - m.height - 3 * pad, std::min(w - pad, pad + m.width + 2 * pad), h - pad};
  canvas.FillRect(band, 0xFF050A24, 0.8f);
  canvas.DrawText(text, RectF{band.left + pad, band.top + pad, band.right - pad, band.bottom - pad}, size, true,
                  0xFFFFFF00, 1.0f, TextAlign::Leading, TextAlign::Center);
}

}  // namespace kirpo
