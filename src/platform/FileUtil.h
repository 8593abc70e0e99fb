#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kirpo {

// No data file of the game comes near this; a larger one is not read whole.
constexpr size_t DataFileLimit = size_t(64) << 20;

bool FileExists(const std::string& path);
// Opens a regular file for reading, or gives -1 (errno EINVAL for anything else: a FIFO would
// block the open for good, a device such as /dev/zero never ends).
int OpenRegularFile(const std::string& path);
// At most max_bytes of a regular file; a caller that must tell a larger file asks for one byte more.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out, size_t max_bytes = DataFileLimit);
bool ReadFileText(const std::string& path, std::string& out, size_t max_bytes = DataFileLimit);
// Splits on CR LF, LF or CR; a final line break does not add an empty last line.
std::vector<std::string> SplitLines(const std::string& text);
// Writes to a temporary file in the same folder, flushes it to disk and renames it over the
// target, so a crash or a full disk never leaves a half-written file behind. On failure errno
// holds the reason.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
// A copy made the same way: the target is the old file or the whole copy, never a part of it.
bool CopyFileAtomically(const std::string& from, const std::string& to);
bool MakeDirs(const std::string& path);
// As WriteFileAtomically, but only where no file is yet: false with errno EEXIST when one is. The
// name is claimed first, so a second writer of the same name fails rather than replacing it.
bool WriteNewFileAtomically(const std::string& path, const void* data, size_t size);

// "Cannot write <path>: <reason>", and for a full disk or a refused write what the player can do.
std::string DescribeWriteError(const std::string& path, int error_number);
// Empty when dir is a usable folder; otherwise what is wrong with it and what to do.
std::string ExplainFolderProblem(const std::string& dir);

// Whether a process with this id exists (a process of another user counts as alive).
bool ProcessAlive(long pid);
// The number in a name made for a process: "<prefix><pid>" gives pid; 0 when it is not one.
long PidInName(const std::string& name, const std::string& prefix);
// The name WriteFileAtomically and CopyFileAtomically write to before the rename: ".<name>.kirpo<pid>.tmp",
// hidden and marked as the game's, so that no file of the player's own is ever taken for one.
std::string TemporaryNameFor(const std::string& path, long pid);
// Removes the temporary files of WriteFileAtomically that a killed process left in dir; files of
// processes still running stay, and so does every name the game does not make.
void RemoveStaleTemporaries(const std::string& dir);

}  // namespace kirpo
