#pragma once
#include <string>

namespace kirpo {

// The data folder belongs to one running game. Two games on it would each save their own high-score
// table over the other's and clear the other's saved game when they close. A lock on the folder
// itself (flock), which the system lets go when the process ends however it ends, so no start is
// ever refused by a game that is gone.
class DataFolderLock {
 public:
  // Takes the folder when no other game holds it. A folder that cannot be opened is not refused
  // here: the start says what is wrong with it.
  explicit DataFolderLock(const std::string& dir);
  ~DataFolderLock();
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;
  // Another running game holds the folder; nothing was written.
  bool HeldElsewhere() const { return held_elsewhere_; }
  // What a second start tells the player.
  static std::string Explain(const std::string& dir);

 private:
  int fd_ = -1;
  bool held_elsewhere_ = false;
};

}  // namespace kirpo
