#pragma once
#include <cstdint>
#include <string>

namespace kirpo {

constexpr const char* PackageName = "kirpo_5-0-0.zip";
constexpr const char* InstallMarker = "generatedfigures_0.txt";

// Where the data package is: next to the executable, or, for an installed program, in the
// installation's data folder (share/kirpo/ beside bin/ by default; the build's install layout
// sets it). The executable's own folder when neither has it, so the
// installation's message names the place a package was looked for first.
std::string PackageDir(const std::string& exe_dir);

// What a package may hold. The real one has 94 entries, 5.1 MB unpacked, its largest entry
// 1.25 MB; a package beyond these bounds is refused before a byte is written, so a damaged or
// hostile one can neither fill the disk nor take the program's memory (entries are streamed to
// disk in 64 KiB pieces).
constexpr uint64_t PackageMaxEntries = 10000;
constexpr uint64_t PackageMaxEntrySize = 32ull << 20;   // 32 MiB
constexpr uint64_t PackageMaxTotalSize = 256ull << 20;  // 256 MiB

// Unpacks the data package from exe_dir into data_dir unless the data is already there.
// Returns true when the data is in place; otherwise throws FatalErrorException with exit code 2
// and the diagnostic message (meant for the clipboard and an error dialog).
bool CheckInstallation(const std::string& exe_dir, const std::string& data_dir);

}  // namespace kirpo
