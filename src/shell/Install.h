#pragma once
#include <string>

namespace kirpo {

constexpr const char* PackageName = "kirpo_5-0-0.zip";
constexpr const char* InstallMarker = "generatedfigures_0.txt";

// Unpacks the data package from exe_dir into data_dir unless the data is already there.
// Returns true when the data is in place; otherwise throws FatalErrorException with exit code 2
// and the diagnostic message (meant for the clipboard and an error dialog).
bool CheckInstallation(const std::string& exe_dir, const std::string& data_dir);

}  // namespace kirpo
