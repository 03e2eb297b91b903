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

// Copies `from` over `to`. On failure returns false with the system's error number and text.
bool CopyFileOver(const std::string& from, const std::string& to, int& errorNumber,
                  std::string& errorText);
// Deletes a file (never a folder), ignoring errors.
void DeleteFileQuietly(const std::string& path);

}  // namespace tidewell
