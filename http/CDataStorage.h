#pragma once
#include <cstdint>
#include <memory>

// A growable byte buffer that grows in whole mebibytes; new space is zeroed.
class CDataStorage
{
public:
    static constexpr uint32_t kStep = 1048576;

    CDataStorage() = default;
    virtual ~CDataStorage() = default;
    CDataStorage(const CDataStorage&) = delete;
    CDataStorage& operator=(const CDataStorage&) = delete;

    // Makes room for n more bytes after the used ones. False leaves the
    // buffer as it was.
    bool Reserve(uint32_t n);

    // Reserve and copy; the used length grows by n.
    bool Append(const void* bytes, uint32_t n);

    // After writing n bytes at Data() + Length() within the reserved room.
    void AddLength(uint32_t n) { length_ += n; }

    uint8_t* Data() { return buffer_.get(); }
    const uint8_t* Data() const { return buffer_.get(); }
    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return capacity_; }

private:
    std::unique_ptr<uint8_t[]> buffer_;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
};
