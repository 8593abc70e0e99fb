#include "shell/Install.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/FileUtil.h"
#include "settings/Settings.h"
#include "common/Errors.h"

namespace kirpo {

namespace {
namespace fs = std::filesystem;
const char* const kCrLf = "\r\n";

[[noreturn]] void InstallError(std::string diagnostics) {
  for (const char* line : {" ", "ERROR - Installation cannot proceed!", " ", "Please make a screenshot of",
                           "this msg and mail it", "to the author of this app:", " ",
                           "--> support@kirpo-game.example", " ", "Thank you for your support!"})
    diagnostics += std::string(line) + kCrLf;
  throw FatalErrorException(2, diagnostics, true);
}

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

void ExtractEntry(zip_t* za, zip_uint64_t i, const fs::path& target) {
  std::unique_ptr<zip_file_t, decltype(&zip_fclose)> zf(zip_fopen_index(za, i, 0), &zip_fclose);
  if (!zf) throw std::runtime_error(std::string("Cannot open package entry: ") + zip_strerror(za));
  std::vector<uint8_t> data;
  uint8_t buf[65536];
  for (;;) {
    const zip_int64_t n = zip_fread(zf.get(), buf, sizeof buf);
    if (n < 0) throw std::runtime_error(std::string("Cannot read package entry: ") + zip_file_strerror(zf.get()));
    if (n == 0) break;
    data.insert(data.end(), buf, buf + n);
  }
  fs::create_directories(target.parent_path());
  if (!WriteFileAtomically(target.string(), data.data(), data.size()))
    throw std::runtime_error("Cannot write " + target.string());
}
}  // namespace

std::string PackageDir(const std::string& exe_dir) {
  if (FileExists(exe_dir + PackageName)) return exe_dir;
  const std::string shared = (fs::path(exe_dir) / ".." / "share" / "kirpo").lexically_normal().string() + "/";
  return FileExists(shared + PackageName) ? shared : exe_dir;
}

bool CheckInstallation(const std::string& exe_dir, const std::string& data_dir) {
  WriteLog(" ");
  std::string diag;
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

  const fs::path staging = fs::path(data_dir) / (".unpacking-" + std::to_string(::getpid()));
  try {
    diag += std::string("Zip open is ok") + kCrLf;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    std::vector<std::string> names;
    for (zip_int64_t i = 0; i < count; ++i) {
      const char* n = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
      names.push_back(n ? n : "");
      CheckEntry(za, static_cast<zip_uint64_t>(i), names.back());
    }
    // Everything goes to a staging folder first and is moved into place afterwards, the marker
    // file last: an interrupted unpacking never leaves a marker over incomplete data.
    fs::remove_all(staging);
    fs::create_directories(staging);
    std::vector<std::string> files;
    for (zip_int64_t i = 0; i < count; ++i) {
      const std::string& name = names[static_cast<size_t>(i)];
      if (name.back() == '/') continue;
      ExtractEntry(za, static_cast<zip_uint64_t>(i), staging / name);
      files.push_back(name);
    }
    std::stable_partition(files.begin(), files.end(), [](const std::string& n) { return n != InstallMarker; });
    for (const std::string& name : files) {
      const fs::path to = fs::path(data_dir) / name;
      fs::create_directories(to.parent_path());
      fs::rename(staging / name, to);
    }
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
