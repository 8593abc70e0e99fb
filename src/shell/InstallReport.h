#pragma once
#include <string>

namespace kirpo {

constexpr const char* InstallReportName = "kirpo-install-report.txt";

// Keeps the report of a failed installation where the player can still find it after the
// dialog has gone (the clipboard is only served while the program runs): in the data folder,
// else in the temporary folder. Returns the file's path, or "" when neither could be written.
std::string SaveInstallReport(const std::string& report, const std::string& data_dir);

}  // namespace kirpo
