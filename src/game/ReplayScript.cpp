#include "game/ReplayScript.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "common/Consts.h"

namespace kirpo {

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool ParseFrames(const std::string& word, int64_t& out) {
  if (word.empty() || word.size() > 12) return false;
  int64_t v = 0;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return v > 0;
}

bool ParseKeys(const std::string& word, uint8_t& out) {
  out = 0;
  if (word == "-") return true;
  if (word.empty()) return false;
  for (char c : word) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'U': out |= ReplayUp; break;
      case 'D': out |= ReplayDown; break;
      case 'L': out |= ReplayLeft; break;
      case 'R': out |= ReplayRight; break;
      case 'F': out |= ReplayFire; break;
      case 'C': out |= ReplayControl; break;
      default: return false;
    }
  }
  return true;
}

bool ParseCoordinate(const std::string& word, float& out) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (errno != 0 || end != word.c_str() + word.size() || !(v > -1e6 && v < 1e6)) return false;
  out = static_cast<float>(v);
  return true;
}

}  // namespace

int64_t ReplayScript::TotalFrames() const {
  int64_t n = 0;
  for (const ReplayStep& s : steps)
    if (s.kind == ReplayStep::Kind::Hold) n += s.frames;
  return n;
}

uint8_t ReplayScript::KeysAt(int64_t frame) const {
  if (frame < 1) return 0;
  for (const ReplayStep& s : steps) {
    if (s.kind != ReplayStep::Kind::Hold) continue;
    if (frame <= s.frames) return s.keys;
    frame -= s.frames;
  }
  return 0;
}

bool ReplayScript::KeysOnly() const {
  for (const ReplayStep& s : steps)
    if (s.kind != ReplayStep::Kind::Hold) return false;
  return true;
}

bool ParseReplayScript(const std::string& text, ReplayScript& out, std::string* error) {
  out.steps.clear();
  std::istringstream in(text);
  std::string raw;
  int line_no = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(line_no) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++line_no;
    const size_t hash = raw.find('#');
    const std::string line = Trim(hash == std::string::npos ? raw : raw.substr(0, hash));
    if (line.empty()) continue;
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    ReplayStep step;
    if (w[0] == "tap") {
      if (w.size() != 3 || !ParseCoordinate(w[1], step.x) || !ParseCoordinate(w[2], step.y))
        return fail("expected \"tap <x> <y>\" in design units");
      step.kind = ReplayStep::Kind::Tap;
    } else if (w[0] == "pause") {
      if (w.size() != 2 || !ParseFrames(w[1], step.frames))
        return fail("expected \"pause <ms>\" with a whole number of ms above 0");
      step.kind = ReplayStep::Kind::Pause;
    } else if (w[0] == "touch" || w[0] == "buttons") {
      if (w.size() != 1) return fail("\"" + w[0] + "\" takes nothing after it");
      step.kind = w[0] == "touch" ? ReplayStep::Kind::TouchMode : ReplayStep::Kind::ButtonMode;
    } else {
      if (w.size() != 2) return fail("expected \"<frames> <keys>\"");
      if (!ParseFrames(w[0], step.frames)) return fail("frame count must be a whole number above 0");
      if (!ParseKeys(w[1], step.keys)) return fail("keys are \"-\" or letters of U D L R F C");
    }
    out.steps.push_back(step);
  }
  return true;
}

std::vector<int> ReplayKeyCodes(uint8_t keys, int up_key, int down_key) {
  std::vector<int> out;
  if (keys & ReplayUp) out.push_back(up_key);
  if (keys & ReplayDown) out.push_back(down_key);
  if (keys & ReplayLeft) out.push_back(VK_LEFT);
  if (keys & ReplayRight) out.push_back(VK_RIGHT);
  if (keys & ReplayFire) out.push_back(VK_SPACE);
  if (keys & ReplayControl) out.push_back(VK_CONTROL);
  return out;
}

}  // namespace kirpo
