#pragma once
// Byte streams: files and memory. Reading past the end raises EReadError.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vermaline {

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, int64_t count);
    // Writes all count bytes or raises EWriteError.
    void WriteBuffer(const void* buffer, int64_t count);

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    // Copies count bytes from source (all of source from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);

    // Little-endian helpers for the format readers and writers.
    uint8_t ReadByte();
    uint16_t ReadWordLE();
    uint32_t ReadDWordLE();
    void WriteByte(uint8_t value) { WriteBuffer(&value, 1); }
    void WriteWordLE(uint16_t value);
    void WriteDWordLE(uint32_t value);
};

enum class TFileMode : uint8_t { fmOpenRead, fmCreate, fmOpenReadWrite };

class TFileStream : public TStream {
public:
    // Opens a UTF-8 named file in binary mode; raises EFOpenError or EFCreateError.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    // Flushes buffered output; raises EWriteError when the data cannot be stored.
    void Flush();
    const std::string& FileName() const { return fileName_; }

private:
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::string fileName_;
    bool writing_ = false;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    void SetSize(int64_t size);
    void Clear() { data_.clear(); position_ = 0; }
    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target) const;
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

// A read-only view of bytes owned elsewhere (for decoders fed from memory, and fuzz targets).
class TBytesStream : public TStream {
public:
    TBytesStream(const uint8_t* data, size_t size) : data_(data), size_(static_cast<int64_t>(size)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t position_ = 0;
};

} // namespace vermaline
