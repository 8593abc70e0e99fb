#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace kirpo {

DataFolderLock::DataFolderLock(const std::string& dir) {
  // The folder itself is locked: no file is made for it, so a refused start, or a start that finds
  // the disk full or read-only, changes nothing there.
  fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  int r;
  do r = ::flock(fd_, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  if (r == 0) return;
  held_elsewhere_ = errno == EWOULDBLOCK;
  ::close(fd_);
  fd_ = -1;
}

DataFolderLock::~DataFolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::string DataFolderLock::Explain(const std::string& dir) {
  return "Kirpo is already running with the data folder " + dir +
         ".\r\nOnly one Kirpo at a time can keep its scores and saved game there: switch to the Kirpo "
         "that is running, or close it and start Kirpo again.";
}

}  // namespace kirpo
