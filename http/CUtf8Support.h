#pragma once
#include <cstdint>
#include <memory>

// Turns UTF-16 text into the UTF-8 bytes of a request body or clipboard block.
class CUtf8Support
{
public:
    CUtf8Support() = default;
    virtual ~CUtf8Support() = default;
    CUtf8Support(const CUtf8Support&) = delete;
    CUtf8Support& operator=(const CUtf8Support&) = delete;

    // Converts the whole text including its terminator. Count() includes the
    // terminating zero byte, so the payload is Count() - 1 bytes.
    bool ToUtf8(const wchar_t* text);

    const char* Data() const { return bytes_.get(); }
    uint32_t Count() const { return count_; }

private:
    std::unique_ptr<char[]> bytes_;
    uint32_t count_ = 0;
};
