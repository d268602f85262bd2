#include "formats/platform/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "formats/platform/exceptions.h"
#include "formats/platform/file_names.h"

namespace vermaline {

namespace {

[[noreturn]] void RaiseCannotCreate(const std::string& target) {
    throw EFCreateError(Format(messages::kFileCreate, target.c_str()));
}

// The permissions open() would give a new file; mkstemp gives the owner alone.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

} // namespace

TReplacingFile::TReplacingFile(std::string target) : target_(std::move(target)) {
    const std::string requested = target_;
    // Writing through a symbolic link replaces the file it names, not the link.
    std::error_code ignored;
    namespace fs = std::filesystem;
    if (fs::is_symlink(fs::symlink_status(target_, ignored))) {
        const fs::path resolved = fs::weakly_canonical(target_, ignored);
        if (!resolved.empty()) target_ = resolved.string();
    }
    const std::string name = ExtractFileName(target_);
    if (name.empty()) RaiseCannotCreate(requested);
    // A leading dot keeps the unfinished file out of ordinary folder listings.
    const std::string pattern = ExtractFilePath(target_) + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const mode_t mode = NewFileMode();
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) RaiseCannotCreate(requested);
    ::fchmod(fd, mode);
    ::close(fd);
    temp_ = buffer.data();
    try {
        stream_ = std::make_unique<TFileStream>(temp_, TFileMode::fmCreate);
    } catch (const EStreamError&) {
        ::unlink(temp_.c_str());
        RaiseCannotCreate(requested);
    }
}

TReplacingFile::~TReplacingFile() {
    stream_.reset();
    if (!committed_) ::unlink(temp_.c_str());
}

void TReplacingFile::Commit() {
    stream_->Flush();
    stream_.reset();
    struct stat existing;
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::chmod(temp_.c_str(), existing.st_mode & 07777);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) RaiseCannotCreate(target_);
    committed_ = true;
}

} // namespace vermaline
