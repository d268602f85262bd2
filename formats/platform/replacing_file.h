#pragma once
// An output file written beside its target under a temporary name and renamed over the target
// only once complete, so a failed conversion never destroys an existing file of that name.
#include <memory>
#include <string>

#include "formats/platform/stream.h"

namespace vermaline {

class TReplacingFile {
public:
    // Creates the temporary file in the target's folder; raises EFCreateError naming the
    // target when the folder does not accept it.
    explicit TReplacingFile(std::string target);
    // Removes the temporary file unless it was committed.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    TStream& Stream() { return *stream_; }
    // Flushes the bytes and renames the temporary file over the target (which keeps an existing
    // target's permissions); raises EWriteError or EFCreateError when that fails.
    void Commit();

private:
    std::string target_;
    std::string temp_;
    std::unique_ptr<TFileStream> stream_;
    bool committed_ = false;
};

} // namespace vermaline
