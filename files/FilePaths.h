#pragma once
// Path rules of the data files: folder tests, trailing separators, base names, and copying
// and deleting with the system's error number and description.

#include <string>

namespace tidewell {

// The separator of this platform's paths.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A folder or file test fails for an empty name and for a name holding "?" or "*".
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);

// The path with a separator at its end; an empty path becomes the separator alone.
std::string WithTrailingSeparator(const std::string& path);

// The path without the extension of its last component ("C/d.x/e.raw" -> "C/d.x/e"; "e" -> "e").
std::string WithoutExtension(const std::string& path);
// The last component of a path.
std::string FileNamePart(const std::string& path);

// The name a file is written under beside `path` until it is complete: `path` + ".tmp".
std::string PartialName(const std::string& path);

// Copies `from` over `to`: the copy is written under the partial name, put on the disk and
// then renamed to `to`, so `to` is always either the old file or the whole copy. On failure
// returns false with the system's error number and text; nothing of the copy stays.
bool CopyFileOver(const std::string& from, const std::string& to, int& errorNumber,
                  std::string& errorText);

// Whether `path` can be written: makes its folder when missing, then creates and removes the
// partial name there. On failure returns false with the system's error number and text.
bool CanWriteFile(const std::string& path, int& errorNumber, std::string& errorText);
// Makes the folder and any missing parent. "" when the folder is there afterwards, else what is
// told: "Cannot make the folder " + path + ": " + the system's description + ".".
std::string MakeFolder(const std::string& path);
// Deletes a file (never a folder), ignoring errors.
void DeleteFileQuietly(const std::string& path);

}  // namespace tidewell
