#include "sprites/FigureStore.h"

#include <cstring>
#include <stdexcept>

#include "common/Rounding.h"
#include "platform/FileUtil.h"
#include "platform/PngRows.h"
#include "common/Errors.h"
#include "sprites/Utf16.h"

namespace kirpo {

namespace {
constexpr int32_t StoreMarker = -1952;
constexpr size_t StoreTableSize = 1001;  // what a store file may hold
constexpr size_t StoreAddLimit = 999;    // what the game adds itself
constexpr size_t MovieListSize = 100;
constexpr size_t FigureFileLimit = 6000000;
constexpr size_t FigureFileMinimum = 32;
// Pictures of at least this many pixels are kept encoded while not shown.
constexpr int64_t LargePicturePixels = 512 * 512;
const char* const StoreFileName = "image.store";
const char* const MovieFileName = "Kirpo-Movies.txt";

int32_t ReadI32(const uint8_t* p) {
  const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  return static_cast<int32_t>(v);
}

int64_t ReadI64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return static_cast<int64_t>(v);
}

void PutI32(std::vector<uint8_t>& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutI64(std::vector<uint8_t>& out, int64_t value) {
  const auto v = static_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool IsPng(const std::vector<uint8_t>& bytes) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return bytes.size() > sizeof signature && std::memcmp(bytes.data(), signature, sizeof signature) == 0;
}

// A whole decimal number, blanks around it allowed.
bool ParseField(const std::string& text, int32_t& out) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  if (b == e) return false;
  bool neg = false;
  if (text[b] == '+' || text[b] == '-') {
    neg = text[b] == '-';
    ++b;
  }
  if (b == e) return false;
  int64_t v = 0;
  for (size_t i = b; i < e; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (neg) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  out = static_cast<int32_t>(v);
  return true;
}
}  // namespace

FigureStore::FigureStore(std::string data_dir) : data_dir_(std::move(data_dir)) {}

Bitmap* FigureStore::Figure(int n) const {
  if (n < 0 || n >= FigureSlots) return nullptr;
  Bitmap* b = figures_[static_cast<size_t>(n)].get();
  if (!b || b->Empty()) return nullptr;
  if (Encoded* e = encoded_[static_cast<size_t>(n)].get()) e->used = true;
  return b;
}

void FigureStore::KeepEncoded(int slot, const std::vector<uint8_t>& png) {
  auto& e = encoded_[static_cast<size_t>(slot)];
  if (!e) e = std::make_unique<Encoded>();
  e->png = std::make_shared<const std::vector<uint8_t>>(png);
  e->used = false;
  Bitmap& b = *figures_[static_cast<size_t>(slot)];
  b = std::move(*Bitmap::FromEncoded(b.Width(), b.Height(), e->png));
}

void FigureStore::ReleaseUnusedPictures() {
  for (size_t n = 0; n < encoded_.size(); ++n) {
    Encoded* e = encoded_[n].get();
    if (!e) continue;
    // A new identity makes every canvas free what it holds for the old one.
    if (!e->used) {
      Bitmap& b = *figures_[n];
      b = std::move(*Bitmap::FromEncoded(b.Width(), b.Height(), e->png));
    }
    e->used = false;
  }
}

const Bitmap* FigureStore::Slot(int n) const {
  if (n < 0 || n >= FigureSlots) return nullptr;
  const Bitmap* b = figures_[static_cast<size_t>(n)].get();
  return b && !b->Empty() ? b : nullptr;
}

bool FigureStore::HasImage(int n) const { return Slot(n) != nullptr; }

int32_t FigureStore::Width(int n) const {
  const Bitmap* b = Slot(n);
  return b ? b->Width() : 0;
}

int32_t FigureStore::FrameWidth(int n) const {
  const Bitmap* b = Slot(n);
  if (!b) return 0;
  const int32_t w = b->Width();
  const int32_t m = n > 200 ? n - 200 : n;
  for (const MovieEntry& e : movies_) {
    if (e.figure != m) continue;
    // A strip claiming no frames at all is shown whole rather than divided by zero.
    return e.frames > 0 ? Round(static_cast<double>(w) / e.frames) : w;
  }
  return w;
}

int32_t FigureStore::FrameHeight(int n) const {
  const Bitmap* b = Slot(n);
  return b ? b->Height() : 0;
}

std::string GetField(const std::string& line, int n, char sep) {
  if (n < 1) return {};
  const std::string s = line + sep;
  size_t start = 0;
  for (int field = 1;; ++field) {
    const size_t end = s.find(sep, start);
    if (end == std::string::npos) return {};
    if (field == n) return s.substr(start, end - start);
    start = end + 1;
  }
}

void FigureStore::LoadMovieList() {
  const std::string path = data_dir_ + MovieFileName;
  if (!FileExists(path)) return;
  std::string text;
  if (!ReadFileText(path, text)) return;
  const std::vector<std::string> lines = SplitLines(text);
  // The first line is the table's heading. A bad line ends the list; what came before stays.
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (movies_.size() >= MovieListSize) return;
    MovieEntry e;
    if (!ParseField(GetField(line, 1, ';'), e.figure) || !ParseField(GetField(line, 2, ';'), e.frames) ||
        !ParseField(GetField(line, 3, ';'), e.a) || !ParseField(GetField(line, 4, ';'), e.b))
      return;
    movies_.push_back(e);
  }
}

void FigureStore::LoadFigureImages(int mask, int level, int stage) {
  WriteLog("Level=" + std::to_string(level) + " Stage=" + std::to_string(stage) + " Typen=" + std::to_string(mask));
  constexpr int ImageType = 2;  // every figure is of this kind
  if ((ImageType & mask) == 0) return;
  for (int n = 0; n < FigureCount; ++n) {
    auto& slot = figures_[static_cast<size_t>(n)];
    if (!slot) slot = std::make_unique<Bitmap>();
    LoadImage(n, data_dir_ + "Neu" + std::to_string(n) + ".png");
  }
}

void FigureStore::LoadImage(int slot, const std::string& path) {
  // A figure whose file has gone stays as it was: empty, unless it was shown before.
  if (!FileExists(path)) return;
  Bitmap& target = *figures_[static_cast<size_t>(slot)];
  // Decoded once, a figure is what the store would give again; no need to decode it anew.
  if (!target.Empty()) return;
  if (SizesOnly && LoadSize(slot, path)) return;
  if (FindInStore(path, slot)) return;

  // The store lacks this figure (a damaged store, or a file added later): take it from the
  // file and have the store written anew.
  BuildingImageStore = true;
  ReadFileBytes(path, scratch_, FigureFileLimit);
  if (scratch_.size() < FigureFileMinimum) throw std::runtime_error(path + " --> read error");
  if (LoadLargeFromFile(slot, path)) return;
  std::string error;
  std::unique_ptr<Bitmap> decoded = Bitmap::Decode(scratch_.data(), scratch_.size(), &error);
  if (!decoded) throw std::runtime_error(path + " --> " + (error.empty() ? "cannot decode" : error));
  MakeTransparent(*decoded);
  AddToStore(path, *decoded);
  target = std::move(*decoded);
  if (KeepStore && !store_.empty() && store_.back().Filename == path)
    HoldEncoded(slot, target.Width(), target.Height(), store_.back().fs);
}

bool FigureStore::LoadLargeFromFile(int slot, const std::string& path) {
  int w = 0, h = 0;
  if (!Bitmap::PngSize(scratch_.data(), scratch_.size(), w, h) || int64_t(w) * h < LargePicturePixels) return false;
  // A row at a time: the key colour (the first pixel) made see-through and the rows encoded again,
  // so the picture is never whole in memory, not even the first time.
  PngRowReader reader(scratch_.data(), scratch_.size());
  if (!reader.Ok() || reader.Width() != w || reader.Height() != h) return false;
  bool first = true;
  uint32_t key = 0;
  std::vector<uint8_t> png = EncodePngRows(w, h, [&](int, uint32_t* row) {
    if (!reader.ReadRow(row)) return false;
    if (first) key = row[0], first = false;
    for (int x = 0; x < w; ++x)
      if (row[x] == key) row[x] = 0;
    return true;
  });
  if (png.empty()) return false;  // damaged: the whole decoder says what is wrong with it
  HoldEncoded(slot, w, h, png);
  if (KeepStore && store_.size() < StoreAddLimit) store_.push_back(StoreEntry{path, std::move(png)});
  return true;
}

bool FigureStore::LoadSize(int slot, const std::string& path) {
  int w = 0, h = 0;
  // The header is at the start of the file; the store's copy would say the same.
  if (!ReadFileBytes(path, scratch_, 64) || !Bitmap::PngSize(scratch_.data(), scratch_.size(), w, h)) return false;
  *figures_[static_cast<size_t>(slot)] = std::move(*Bitmap::SizeOnly(w, h));
  return true;
}

bool FigureStore::FindInStore(const std::string& path, int slot) {
  for (size_t i = 0; i < store_.size();) {
    StoreEntry& e = store_[i];
    if (!StoreNameMatch(e.Filename, path)) {
      ++i;
      continue;
    }
    // The store only ever holds PNG; anything else is damage and never reaches the image library.
    if (IsPng(e.fs) && TakeWholeEntry(e.fs, slot)) return true;
    std::unique_ptr<Bitmap> decoded = IsPng(e.fs) ? Bitmap::Decode(e.fs.data(), e.fs.size()) : nullptr;
    if (decoded) {
      const bool large = int64_t(decoded->Width()) * decoded->Height() >= LargePicturePixels;
      *figures_[static_cast<size_t>(slot)] = std::move(*decoded);
      // Decoded once to know the entry is whole; a large one then keeps only its bytes.
      if (large) KeepEncoded(slot, e.fs);
      return true;
    }
    // An entry that no longer decodes is dropped; the store is written anew without it.
    store_.erase(store_.begin() + static_cast<std::ptrdiff_t>(i));
    BuildingImageStore = true;
  }
  return false;
}

bool FigureStore::TakeWholeEntry(const std::vector<uint8_t>& png, int slot) {
  int w = 0, h = 0;
  if (!Bitmap::PngSize(png.data(), png.size(), w, h)) return false;
  // Every row read to know the entry is whole, one at a time.
  PngRowReader reader(png.data(), png.size());
  if (!reader.Ok() || reader.Width() != w || reader.Height() != h) return false;
  std::vector<uint32_t> row(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y)
    if (!reader.ReadRow(row.data())) return false;
  HoldEncoded(slot, w, h, png);
  return true;
}

void FigureStore::HoldEncoded(int slot, int w, int h, const std::vector<uint8_t>& png) {
  *figures_[static_cast<size_t>(slot)] = std::move(*Bitmap::SizeOnly(w, h));
  if (int64_t(w) * h >= LargePicturePixels) {
    KeepEncoded(slot, png);
    return;
  }
  // A small figure too is held as its bytes, a fifth of its pixels; once drawn, its texture is all
  // there is of it. Small ones keep their identity, and with it their texture, for good.
  *figures_[static_cast<size_t>(slot)] =
      std::move(*Bitmap::FromEncoded(w, h, std::make_shared<const std::vector<uint8_t>>(png)));
}

bool FigureStore::StoreNameMatch(const std::string& a, const std::string& b) {
  // Compare what follows the "figs" folder, so the store survives a moved data folder.
  auto tail = [](const std::string& name) {
    const std::u16string u = Utf8ToUtf16(name);
    const size_t pos = u.find(u"figs");
    const size_t from = (pos == std::u16string::npos ? 0 : pos + 1) + 4;
    return from < u.size() ? u.substr(from) : std::u16string();
  };
  return tail(a) == tail(b);
}

void FigureStore::AddToStore(const std::string& path, const Bitmap& bmp) {
  if (!KeepStore || store_.size() >= StoreAddLimit) return;
  StoreEntry e;
  e.Filename = path;
  e.fs = bmp.EncodePng();
  store_.push_back(std::move(e));
}

void FigureStore::MakeTransparent(Bitmap& bmp) {
  if (bmp.Empty() || !bmp.HasPixels()) return;
  const uint32_t key = bmp.Pixel(0, 0);
  uint32_t* p = bmp.Pixels();
  const size_t count = static_cast<size_t>(bmp.Width()) * bmp.Height();
  for (size_t i = 0; i < count; ++i)
    if (p[i] == key) p[i] = 0;
  bmp.Touch();
}

void FigureStore::DropUnusedEntries() {
  // Only the entry a figure of the current folder would be served from is worth keeping: after
  // the data folder moves, the old folder's copies would otherwise stay in the file for ever.
  std::vector<bool> used(store_.size(), false);
  for (int n = 0; n < FigureCount; ++n) {
    const std::string path = data_dir_ + "Neu" + std::to_string(n) + ".png";
    for (size_t i = 0; i < store_.size(); ++i) {
      if (!StoreNameMatch(store_[i].Filename, path)) continue;
      used[i] = true;
      break;
    }
  }
  std::vector<StoreEntry> kept;
  for (size_t i = 0; i < store_.size(); ++i)
    if (used[i]) kept.push_back(std::move(store_[i]));
  store_ = std::move(kept);
}

void FigureStore::ForgetStore() {
  std::vector<StoreEntry>().swap(store_);
  store_forgotten_ = true;
}

bool FigureStore::WriteImageStore() {
  WriteLog(" ");
  // Written from what is left, it would lack every figure loaded before.
  if (store_forgotten_) return false;
  DropUnusedEntries();
  std::vector<uint8_t> out;
  size_t total = 8;
  for (const StoreEntry& e : store_) total += 12 + e.Filename.size() * 2 + e.fs.size();
  out.reserve(total);
  PutI32(out, StoreMarker);
  for (const StoreEntry& e : store_) {
    const std::u16string name = Utf8ToUtf16(e.Filename);
    PutI32(out, static_cast<int32_t>(name.size() * 2));
    for (char16_t c : name) {
      out.push_back(static_cast<uint8_t>(c & 0xFF));
      out.push_back(static_cast<uint8_t>(c >> 8));
    }
    PutI64(out, static_cast<int64_t>(e.fs.size()));
    out.insert(out.end(), e.fs.begin(), e.fs.end());
  }
  PutI32(out, StoreMarker);
  const bool ok = WriteFileAtomically(data_dir_ + StoreFileName, out.data(), out.size());
  if (ok) BuildingImageStore = false;
  return ok;
}

bool FigureStore::ReadImageStore() {
  WriteLog(" ");
  const std::string path = data_dir_ + StoreFileName;
  std::vector<uint8_t> bytes;
  if (!FileExists(path) || !ReadFileBytes(path, bytes)) {
    BuildingImageStore = true;
    return false;
  }
  const size_t size = bytes.size();
  const uint8_t* d = bytes.data();
  if (size < 4 || ReadI32(d) != StoreMarker) {
    BuildingImageStore = true;
    return false;
  }
  // Entries are taken only whole; anything after a damaged one is dropped and the store is
  // rebuilt from the figure files.
  size_t pos = 4;
  bool complete = false;
  const size_t before = store_.size();
  while (store_.size() < StoreTableSize) {
    if (size - pos < 4) break;
    const int32_t len = ReadI32(d + pos);
    pos += 4;
    if (len == StoreMarker) {
      complete = true;
      break;
    }
    if (len < 0 || (len & 1) || static_cast<size_t>(len) > size - pos) break;
    StoreEntry e;
    e.Filename = Utf16ToUtf8(Utf16FromBytes(d + pos, static_cast<size_t>(len), false));
    pos += static_cast<size_t>(len);
    if (size - pos < 8) break;
    const int64_t n = ReadI64(d + pos);
    pos += 8;
    if (n < 0 || static_cast<uint64_t>(n) > size - pos) break;
    e.fs.assign(d + pos, d + pos + n);
    pos += static_cast<size_t>(n);
    store_.push_back(std::move(e));
  }
  if (!complete) BuildingImageStore = true;
  return store_.size() > before;
}

}  // namespace kirpo
