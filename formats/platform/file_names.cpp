#include "formats/platform/file_names.h"

#include <sys/stat.h>
#include <unistd.h>

namespace vermaline {

namespace {
size_t NameStart(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}
size_t ExtStart(const std::string& fileName) {
    const size_t start = NameStart(fileName);
    const size_t dot = fileName.find_last_of('.');
    return dot == std::string::npos || dot < start ? std::string::npos : dot;
}
} // namespace

std::string ExtractFilePath(const std::string& fileName) { return fileName.substr(0, NameStart(fileName)); }

std::string ExtractFileName(const std::string& fileName) { return fileName.substr(NameStart(fileName)); }

std::string ExtractFileExt(const std::string& fileName) {
    const size_t dot = ExtStart(fileName);
    return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
    const size_t dot = ExtStart(fileName);
    return (dot == std::string::npos ? fileName : fileName.substr(0, dot)) + extension;
}

std::string IncludeTrailingPathDelimiter(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

bool DeleteFile(const std::string& fileName) { return ::unlink(fileName.c_str()) == 0; }

bool FileExists(const std::string& fileName) {
    struct stat st;
    return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace vermaline
