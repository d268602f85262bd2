#pragma once
// File-name handling: split a name into folder, base name and extension and merge them back.
#include <string>

namespace vermaline {

// Folder part including the trailing separator ("/a/b/" of "/a/b/c.bmp"); empty when none.
std::string ExtractFilePath(const std::string& fileName);
// Name without the folder ("c.bmp").
std::string ExtractFileName(const std::string& fileName);
// Extension including the dot (".bmp"); empty when the name has none.
std::string ExtractFileExt(const std::string& fileName);
// Replaces (or adds) the extension; extension includes the dot.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// The folder with a trailing separator (unchanged when empty or already ending in one).
std::string IncludeTrailingPathDelimiter(const std::string& folder);
// Deletes a file; returns whether it was deleted.
bool DeleteFile(const std::string& fileName);
bool FileExists(const std::string& fileName);

} // namespace vermaline
