#include "formats/platform/stream.h"

#include <algorithm>
#include <cstring>

#include "formats/platform/exceptions.h"

namespace vermaline {

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count <= 0) return;
    if (Read(buffer, count) != count) throw EReadError(messages::kStreamRead);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count <= 0) return;
    if (Write(buffer, count) != count) throw EWriteError(messages::kStreamWrite);
}

int64_t TStream::Size() {
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

uint8_t TStream::ReadByte() {
    uint8_t b;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t TStream::ReadWordLE() {
    uint8_t b[2];
    ReadBuffer(b, 2);
    return uint16_t(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadDWordLE() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

void TStream::WriteWordLE(uint16_t value) {
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteDWordLE(uint32_t value) {
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    WriteBuffer(b, 4);
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    switch (mode) {
    case TFileMode::fmOpenRead:
        file_ = std::fopen(fileName.c_str(), "rb");
        if (!file_) throw EFOpenError(Format(messages::kFileOpen, fileName.c_str()));
        break;
    case TFileMode::fmOpenReadWrite:
        file_ = std::fopen(fileName.c_str(), "r+b");
        writing_ = true;
        if (!file_) throw EFOpenError(Format(messages::kFileOpen, fileName.c_str()));
        break;
    case TFileMode::fmCreate:
        file_ = std::fopen(fileName.c_str(), "w+b");
        writing_ = true;
        if (!file_) throw EFCreateError(Format(messages::kFileCreate, fileName.c_str()));
        break;
    }
    // Writers and readers move rows of a few kilobytes at a time; a buffer larger than the C
    // library's default turns them into far fewer system calls.
    constexpr size_t kBufferBytes = size_t(128) << 10;
    buffer_ = std::make_unique<char[]>(kBufferBytes);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferBytes);
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    if (!(origin == TSeekOrigin::soCurrent && offset == 0)) {
        if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) throw EReadError(messages::kStreamRead);
    }
    return static_cast<int64_t>(ftello(file_));
}

int64_t TFileStream::Size() {
    const int64_t position = static_cast<int64_t>(ftello(file_));
    fseeko(file_, 0, SEEK_END);
    const int64_t size = static_cast<int64_t>(ftello(file_));
    fseeko(file_, static_cast<off_t>(position), SEEK_SET);
    return size;
}

void TFileStream::Flush() {
    if (writing_ && std::fflush(file_) != 0) throw EWriteError(messages::kStreamWrite);
}

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t size = Size();
    if (count <= 0 || position_ >= size) return 0;
    const int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const int64_t end = position_ + count;
    if (end > Size()) data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : Size();
    position_ = std::max<int64_t>(0, base + offset);
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    data_.resize(static_cast<size_t>(source.Size()));
    source.ReadBuffer(data_.data(), Size());
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) const {
    target.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, TFileMode::fmCreate);
    SaveToStream(file);
    file.Flush();
}

// ---- TBytesStream

int64_t TBytesStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ >= size_) return 0;
    const int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TBytesStream::Write(const void*, int64_t) { throw EWriteError(messages::kStreamWrite); }

int64_t TBytesStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
    position_ = std::max<int64_t>(0, base + offset);
    return position_;
}

} // namespace vermaline
