#pragma once
#include <string>

namespace kirpo {

constexpr const char* PackageName = "kirpo_5-0-0.zip";
constexpr const char* InstallMarker = "generatedfigures_0.txt";

// Where the data package is: next to the executable, or, for an installed program, in the
// prefix's share/kirpo/ beside its bin/. The executable's own folder when neither has it, so the
// installation's message names the place a package was looked for first.
std::string PackageDir(const std::string& exe_dir);

// Unpacks the data package from exe_dir into data_dir unless the data is already there.
// Returns true when the data is in place; otherwise throws FatalErrorException with exit code 2
// and the diagnostic message (meant for the clipboard and an error dialog).
bool CheckInstallation(const std::string& exe_dir, const std::string& data_dir);

}  // namespace kirpo
