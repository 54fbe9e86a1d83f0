#pragma once
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

// The program's log: one line per event with a local time prefix, in the
// user's code page, CR LF, flushed at once. A log that has grown beyond the
// size limit is moved to "<path>.old" when it is opened. Any thread may
// write: each line goes out whole, never mixed with another thread's.
class CLogSupport
{
public:
    static constexpr uint32_t kDefaultSizeLimit = 4194304;

    explicit CLogSupport(uint32_t sizeLimit = kDefaultSizeLimit);
    virtual ~CLogSupport();
    CLogSupport(const CLogSupport&) = delete;
    CLogSupport& operator=(const CLogSupport&) = delete;

    // Counts as open even when the file cannot be opened (lines are then
    // lost); the result says whether the file itself is open.
    bool Open(const char* path);
    void Close();

    void Write(const char* text);
    void WriteWide(const std::wstring& text);

    bool IsOpen() const { return open_; }
    const std::string& Path() const { return path_; }

private:
    std::mutex lock_; // the stream and its lines
    bool open_ = false;
    uint32_t sizeLimit_;
    std::FILE* stream_ = nullptr;
    std::string path_;
};
