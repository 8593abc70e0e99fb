#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Consts.h"
#include "platform/Bitmap.h"

namespace kirpo {

// The figure pictures by number, their in-memory store of PNG-encoded copies with its cache
// file "image.store", and the movie list that tells which pictures are strips of frames.
class FigureStore {
 public:
  struct StoreEntry {
    std::string Filename;
    std::vector<uint8_t> fs;  // PNG bytes
  };
  struct MovieEntry {
    int32_t figure = 0, frames = 0, a = 0, b = 0;
  };

  explicit FigureStore(std::string data_dir = {});
  void SetDataDir(const std::string& dir) { data_dir_ = dir; }
  const std::string& DataDir() const { return data_dir_; }

  // Slot n, or nullptr when n is outside the table or the slot is empty. A large picture is
  // held encoded: its pixels are decoded when drawn and given back once its texture has them.
  Bitmap* Figure(int n) const;
  bool HasImage(int n) const;  // a slot with a non-empty picture
  // The whole picture's width (all frames of a strip); 0 for an empty slot.
  int32_t Width(int n) const;
  int32_t FrameWidth(int n) const;
  int32_t FrameHeight(int n) const;

  void LoadMovieList();
  // Loads figures 0..91 from the store, or from their files while the store is being built.
  // A figure the store lacks or holds damaged is taken from its file and BuildingImageStore is
  // set, so that the caller writes the store anew.
  void LoadFigureImages(int mask, int level = 0, int stage = 0);
  // Reads DataDir + "image.store". Whatever is damaged (wrong marker, a cut-off entry, no end
  // marker, a missing file) is discarded and BuildingImageStore set; false when nothing was read.
  bool ReadImageStore();
  // Writes the store to DataDir + "image.store" (temporary file, then rename), keeping only the
  // entries the figures of DataDir are served from; on success BuildingImageStore is cleared.
  bool WriteImageStore();
  // Lets go of the store's copies once the figures are loaded (the large pictures keep theirs);
  // the store is not written again by this process after that.
  void ForgetStore();
  // Large pictures (backdrops, picture sheets) not asked for since the last call take a new
  // identity, so the canvases free their textures; they stay the same picture. Called only while
  // the game frame runs, where every picture shown is asked for again each frame.
  void ReleaseUnusedPictures();
  static void MakeTransparent(Bitmap& bmp);
  static bool StoreNameMatch(const std::string& a, const std::string& b);

  bool BuildingImageStore = false;
  // Tools that never write the cache file skip encoding the store's copies.
  bool KeepStore = true;
  // Tools that never draw (a headless replay) keep only each figure's size: the rules need the
  // sizes and outlines, and decoding every picture would cost more than the play.
  bool SizesOnly = false;
  std::vector<StoreEntry>& Store() { return store_; }
  std::vector<MovieEntry>& MovieList() { return movies_; }

 private:
  // The slot's picture, decoded or not.
  const Bitmap* Slot(int n) const;
  void LoadImage(int slot, const std::string& path);
  bool FindInStore(const std::string& path, int slot);
  // SizesOnly: the figure's size from its file's header; false when it has none to give.
  bool LoadSize(int slot, const std::string& path);
  // A large picture from its file's bytes (in scratch_), re-encoded a row at a time; false when
  // the figure is not large or its rows do not decode.
  bool LoadLargeFromFile(int slot, const std::string& path);
  // A store entry whose rows all decode, taken without decoding it whole; false otherwise.
  bool TakeWholeEntry(const std::vector<uint8_t>& png, int slot);
  // The slot's picture held as its PNG bytes (w x h), decoded only to be drawn.
  void HoldEncoded(int slot, int w, int h, const std::vector<uint8_t>& png);
  void AddToStore(const std::string& path, const Bitmap& bmp);
  void DropUnusedEntries();

  // A large picture kept encoded while it is not shown: a dozen of them decoded would be most of
  // the game's memory, and few are ever on screen at once.
  struct Encoded {
    std::shared_ptr<const std::vector<uint8_t>> png;
    bool used = false;
  };
  void KeepEncoded(int slot, const std::vector<uint8_t>& png);

  std::string data_dir_;
  std::array<std::unique_ptr<Bitmap>, FigureSlots> figures_;
  mutable std::array<std::unique_ptr<Encoded>, FigureSlots> encoded_;
  std::vector<StoreEntry> store_;
  bool store_forgotten_ = false;
  std::vector<MovieEntry> movies_;
  std::vector<uint8_t> scratch_;
};

// The n-th (1-based) field of line split at sep; "" when there are fewer fields.
std::string GetField(const std::string& line, int n, char sep);

}  // namespace kirpo
