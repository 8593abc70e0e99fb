#include "shell/Install.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

#include "common/Errors.h"
#include "platform/FileUtil.h"
#include "settings/Settings.h"

namespace kirpo {

namespace {
namespace fs = std::filesystem;
const char* const kCrLf = "\r\n";
const char* const kStagingPrefix = ".unpacking-";

[[noreturn]] void InstallError(std::string diagnostics) {
  for (const char* line : {" ", "ERROR - Installation cannot proceed!", " ", "Please make a screenshot of",
                           "this msg and mail it", "to the author of this app:", " ",
                           "--> support@kirpo-game.example", " ", "Thank you for your support!"})
    diagnostics += std::string(line) + kCrLf;
  throw FatalErrorException(2, diagnostics, true);
}

std::string Megabytes(uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; }

// An entry may only name a file or folder below the data folder: no absolute path, no "..",
// no symbolic link, nothing a package could use to write elsewhere.
void CheckEntry(zip_t* za, zip_uint64_t i, const std::string& name) {
  if (name.empty()) throw std::runtime_error("Package entry without a name");
  if (name[0] == '/' || name[0] == '\\' || name.find('\\') != std::string::npos ||
      (name.size() > 1 && name[1] == ':'))
    throw std::runtime_error("Package entry with an absolute path: " + name);
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == ".." || part == ".") throw std::runtime_error("Package entry leaves the data folder: " + name);
    start = end + 1;
  }
  zip_uint8_t opsys = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, i, 0, &opsys, &attributes) == 0 && opsys == ZIP_OPSYS_UNIX) {
    const mode_t mode = static_cast<mode_t>(attributes >> 16);
    if (S_ISLNK(mode)) throw std::runtime_error("Package entry is a symbolic link: " + name);
  }
}

struct PackageEntry {
  zip_uint64_t index;
  std::string name;
  uint64_t size;  // as the header says
};

// Reads the table of contents and refuses, before anything is written, a package whose entries
// would leave the data folder or exceed the bounds.
std::vector<PackageEntry> ListEntries(zip_t* za) {
  const zip_int64_t count = zip_get_num_entries(za, 0);
  if (count < 0 || static_cast<uint64_t>(count) > PackageMaxEntries)
    throw std::runtime_error("The package has " + std::to_string(count) + " entries, more than the " +
                             std::to_string(PackageMaxEntries) + " a Kirpo package may hold");
  std::vector<PackageEntry> files;
  std::set<std::string> file_names, folder_names;
  uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    const char* n = zip_get_name(za, index, 0);
    const std::string name = n ? n : "";
    CheckEntry(za, index, name);
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
      folder_names.insert(name.substr(0, slash));
    if (name.back() == '/') continue;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
      throw std::runtime_error("Package entry without a size: " + name);
    if (st.size > PackageMaxEntrySize)
      throw std::runtime_error("Package entry " + name + " unpacks to " + Megabytes(st.size) + ", more than the " +
                               Megabytes(PackageMaxEntrySize) + " an entry may have");
    total += st.size;
    if (total > PackageMaxTotalSize)
      throw std::runtime_error("The package unpacks to more than the " + Megabytes(PackageMaxTotalSize) +
                               " a Kirpo package may have");
    if (!file_names.insert(name).second) throw std::runtime_error("Package entry twice in the package: " + name);
    files.push_back({index, name, st.size});
  }
  for (const std::string& f : file_names)
    if (folder_names.count(f)) throw std::runtime_error("Package entry is both a file and a folder: " + f);
  if (!file_names.count(InstallMarker)) throw std::runtime_error(std::string("The package lacks ") + InstallMarker);
  return files;
}

void CheckFreeSpace(const std::string& data_dir, const std::vector<PackageEntry>& files) {
  uint64_t needed = 0;
  for (const PackageEntry& f : files) needed += f.size;
  struct statvfs vfs;
  if (::statvfs(data_dir.c_str(), &vfs) != 0) return;  // the writes themselves will tell
  const uint64_t free_bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  if (free_bytes < needed)
    throw std::runtime_error("Not enough free disk space for Kirpo's data in " + data_dir + ": it needs " +
                             Megabytes(needed) + ", " + Megabytes(free_bytes) +
                             " are free. Free some space, then start Kirpo again.");
}

// Streams one entry to its file, so memory stays bounded whatever the entry's size, and stops
// as soon as it yields more than its header says.
void ExtractEntry(zip_t* za, const PackageEntry& entry, const fs::path& target) {
  std::unique_ptr<zip_file_t, decltype(&zip_fclose)> zf(zip_fopen_index(za, entry.index, 0), &zip_fclose);
  if (!zf) throw std::runtime_error("Cannot open package entry " + entry.name + ": " + zip_strerror(za));
  fs::create_directories(target.parent_path());
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error(DescribeWriteError(target.string(), errno));
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  } closer{fd};
  std::vector<uint8_t> piece(65536);
  uint8_t* const buf = piece.data();
  uint64_t written = 0;
  for (;;) {
    const zip_int64_t n = zip_fread(zf.get(), buf, piece.size());
    if (n < 0)
      throw std::runtime_error("Cannot read package entry " + entry.name + ": " + zip_file_strerror(zf.get()));
    if (n == 0) break;
    written += static_cast<uint64_t>(n);
    if (written > entry.size) throw std::runtime_error("Package entry " + entry.name + " is longer than its header says");
    for (const uint8_t* p = buf; p < buf + n;) {
      const ssize_t w = ::write(fd, p, static_cast<size_t>(buf + n - p));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) throw std::runtime_error(DescribeWriteError(target.string(), w < 0 ? errno : ENOSPC));
      p += w;
    }
  }
  if (written != entry.size) throw std::runtime_error("Package entry " + entry.name + " is shorter than its header says");
  if (::fdatasync(fd) != 0) throw std::runtime_error(DescribeWriteError(target.string(), errno));
  closer.fd = -1;
  if (::close(fd) != 0) throw std::runtime_error(DescribeWriteError(target.string(), errno));
}

// Moves an unpacked file into the data folder. A folder standing where the file belongs (left by
// a damaged package or made by hand) is in the way of every later installation, so it goes.
void MoveIntoPlace(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::create_directories(to.parent_path(), ec);
  if (ec) throw std::runtime_error(ExplainFolderProblem(to.parent_path().string() + "/"));
  if (fs::is_directory(fs::symlink_status(to, ec))) fs::remove_all(to);
  if (::rename(from.c_str(), to.c_str()) != 0) throw std::runtime_error(DescribeWriteError(to.string(), errno));
}

// A staging folder whose unpacking was killed stays behind; a later start removes it.
void RemoveStaleStaging(const std::string& data_dir) {
  std::error_code ec;
  for (fs::directory_iterator it(data_dir, ec), end; !ec && it != end; it.increment(ec)) {
    const long pid = PidInName(it->path().filename().string(), kStagingPrefix);
    if (pid == 0 || pid == ::getpid() || ProcessAlive(pid)) continue;
    std::error_code rm;
    fs::remove_all(it->path(), rm);
  }
}
}  // namespace

std::string PackageDir(const std::string& exe_dir) {
  if (FileExists(exe_dir + PackageName)) return exe_dir;
  const std::string shared = (fs::path(exe_dir) / KIRPO_PACKAGE_FROM_BINDIR).lexically_normal().string() + "/";
  return FileExists(shared + PackageName) ? shared : exe_dir;
}

bool CheckInstallation(const std::string& exe_dir, const std::string& data_dir) {
  WriteLog(" ");
  std::string diag;
  RemoveStaleStaging(data_dir);
  if (FileExists(data_dir + InstallMarker)) return true;
  diag += "InstallPath: " + exe_dir + kCrLf;
  diag += std::string("Filename: ") + PackageName + kCrLf;
  const std::string package = exe_dir + PackageName;
  const bool exists = FileExists(package);
  diag += std::string("File exists: ") + BoolToYesNo(exists) + kCrLf;
  if (!exists) InstallError(diag);
  diag += "AppData: " + data_dir + kCrLf;

  int err = 0;
  zip_t* za = zip_open(package.c_str(), ZIP_RDONLY, &err);
  diag += std::string("Zip is valid: ") + BoolToYesNo(za != nullptr) + kCrLf;
  if (!za) InstallError(diag);
  std::unique_ptr<zip_t, decltype(&zip_discard)> archive(za, &zip_discard);

  const fs::path staging = fs::path(data_dir) / (kStagingPrefix + std::to_string(::getpid()));
  try {
    diag += std::string("Zip open is ok") + kCrLf;
    const std::string folder_problem = ExplainFolderProblem(data_dir);
    if (!folder_problem.empty()) throw std::runtime_error(folder_problem);
    const std::vector<PackageEntry> files = ListEntries(za);
    CheckFreeSpace(data_dir, files);
    // Everything goes to a staging folder first and is moved into place afterwards, the marker
    // file last: an interrupted unpacking never leaves a marker over incomplete data.
    fs::remove_all(staging);
    fs::create_directories(staging);
    std::vector<std::string> names;
    for (const PackageEntry& f : files) {
      ExtractEntry(za, f, staging / f.name);
      names.push_back(f.name);
    }
    std::stable_partition(names.begin(), names.end(), [](const std::string& n) { return n != InstallMarker; });
    for (const std::string& name : names) MoveIntoPlace(staging / name, fs::path(data_dir) / name);
    fs::remove_all(staging);
    if (!FileExists(data_dir + InstallMarker)) throw std::runtime_error(std::string("The package lacks ") + InstallMarker);
    diag += std::string("Zip ExtractAll is ok") + kCrLf;
  } catch (const std::exception& e) {
    std::error_code ec;
    fs::remove_all(staging, ec);
    diag += std::string(e.what()) + kCrLf;
    InstallError(diag);
  }
  return true;
}

}  // namespace kirpo
