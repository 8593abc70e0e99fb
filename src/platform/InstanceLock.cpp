#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace kirpo {

DataFolderLock::DataFolderLock(const std::string& dir) {
  // Read-only: an existing lock file is opened without a write, so a refused start changes nothing.
  fd_ = ::open((dir + "kirpo.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
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
