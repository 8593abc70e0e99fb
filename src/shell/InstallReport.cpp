#include "shell/InstallReport.h"

#include <filesystem>
#include <system_error>

#include "platform/FileUtil.h"

namespace kirpo {

std::string SaveInstallReport(const std::string& report, const std::string& data_dir) {
  std::error_code ec;
  std::string temp = std::filesystem::temp_directory_path(ec).string();
  if (!temp.empty() && temp.back() != '/') temp += '/';
  for (const std::string& dir : {data_dir, temp}) {
    if (dir.empty()) continue;
    const std::string path = dir + InstallReportName;
    if (WriteFileAtomically(path, report.data(), report.size())) return path;
  }
  return {};
}

}  // namespace kirpo
