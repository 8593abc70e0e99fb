#include "platform/FileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>

namespace kirpo {

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int OpenRegularFile(const std::string& path) {
  // Without O_NONBLOCK the open of a FIFO waits for a writer that never comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t max_bytes) {
  out.clear();
  const int fd = OpenRegularFile(path);
  if (fd < 0) return false;
  // Room for the whole file at once: grown by doubling, a vector kept for the program's life (the
  // sounds) would hold up to twice the file.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(std::min<size_t>(size_t(st.st_size), max_bytes));
  uint8_t buf[65536];
  bool ok = true;
  while (out.size() < max_bytes) {
    const size_t want = std::min(sizeof buf, max_bytes - out.size());
    const ssize_t n = ::read(fd, buf, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  ::close(fd);
  if (out.capacity() - out.size() > 4096) out.shrink_to_fit();  // the file grew while it was read
  return ok;
}

bool ReadFileText(const std::string& path, std::string& out, size_t max_bytes) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes, max_bytes)) return false;
  out.assign(bytes.begin(), bytes.end());
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  const std::string tmp = TemporaryNameFor(path, ::getpid());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* p = static_cast<const char*>(data);
  size_t left = size;
  int error = 0;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (error == 0 && ::fdatasync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) error = errno;
  if (error == 0) return true;
  ::unlink(tmp.c_str());
  errno = error;  // the reason of the step that failed, not of the clean-up
  return false;
}

bool WriteNewFileAtomically(const std::string& path, const void* data, size_t size) {
  const int claim = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (claim < 0) return false;
  ::close(claim);
  if (WriteFileAtomically(path, data, size)) return true;
  const int error = errno;
  ::unlink(path.c_str());  // the empty file that claimed the name
  errno = error;
  return false;
}

bool CopyFileAtomically(const std::string& from, const std::string& to) {
  const int in = OpenRegularFile(from);
  if (in < 0) return false;
  const std::string tmp = TemporaryNameFor(to, ::getpid());
  const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    return false;
  }
  int error = 0;
  std::vector<char> buffer(size_t(1) << 16);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    for (ssize_t done = 0; done < n && error == 0;) {
      const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0 && errno != EINTR) error = errno;
      if (w > 0) done += w;
    }
    if (error != 0) break;
  }
  ::close(in);
  if (error == 0 && ::fdatasync(out) != 0) error = errno;
  if (::close(out) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tmp.c_str(), to.c_str()) != 0) error = errno;
  if (error == 0) return true;
  ::unlink(tmp.c_str());
  errno = error;
  return false;
}

bool MakeDirs(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

}  // namespace kirpo

namespace kirpo {

std::string DescribeWriteError(const std::string& path, int error_number) {
  std::string text = "Cannot write " + path + ": " + std::strerror(error_number);
  if (error_number == ENOSPC || error_number == EDQUOT)
    text += ". The disk is full: free some space, then start Kirpo again.";
  else if (error_number == EACCES || error_number == EPERM || error_number == EROFS)
    text += ". Kirpo may not write there: make the folder writable, then start Kirpo again.";
  return text;
}

std::string ExplainFolderProblem(const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p = fs::path(dir);
  if (!p.has_filename()) p = p.parent_path();
  if (fs::is_directory(p, ec)) {
    if (::access(p.c_str(), W_OK | X_OK) == 0) return {};
    return "Kirpo's data folder " + p.string() + " is not writable (" + std::strerror(errno) +
           "): make it writable, then start Kirpo again.";
  }
  // The first part of the path that exists and is no folder is what stands in the way.
  for (fs::path part = p; !part.empty() && part != part.root_path(); part = part.parent_path()) {
    if (fs::exists(fs::symlink_status(part, ec)) && !fs::is_directory(part, ec))
      return "Kirpo's data folder " + p.string() + " cannot be made: " + part.string() +
             " is a file, not a folder. Move or delete that file, then start Kirpo again.";
  }
  return "Kirpo's data folder " + p.string() + " cannot be made: check that its parent folder exists and is writable, "
         "then start Kirpo again.";
}

bool ProcessAlive(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

long PidInName(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 || name.compare(0, prefix.size(), prefix) != 0)
    return 0;
  long pid = 0;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    pid = pid * 10 + (name[i] - '0');
  }
  return pid;
}

std::string TemporaryNameFor(const std::string& path, long pid) {
  const size_t slash = path.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, base) + "." + path.substr(base) + ".kirpo" + std::to_string(pid) + ".tmp";
}

void RemoveStaleTemporaries(const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // ".<name>.kirpo<pid>.tmp" with a name of at least one character.
    if (name.size() < 12 || name[0] != '.' || name.compare(name.size() - 4, 4, ".tmp") != 0) continue;
    const std::string stem = name.substr(0, name.size() - 4);
    const size_t at = stem.rfind(".kirpo");
    if (at == std::string::npos || at < 2) continue;
    const long pid = PidInName(stem.substr(at), ".kirpo");
    if (pid == 0 || pid == ::getpid() || ProcessAlive(pid)) continue;
    std::error_code rm;
    if (it->is_regular_file(rm)) fs::remove(it->path(), rm);
  }
}

}  // namespace kirpo
