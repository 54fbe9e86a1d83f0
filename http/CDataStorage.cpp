#include "http/CDataStorage.h"

#include <cstring>
#include <new>

bool CDataStorage::Reserve(uint32_t n)
{
    const uint64_t needed = uint64_t(length_) + n;
    if (needed <= capacity_)
        return true;
    const uint64_t shortfall = needed - capacity_;
    const uint64_t grown = uint64_t(capacity_) + (shortfall + kStep - 1) / kStep * kStep;
    if (grown > UINT32_MAX)
        return false;
    std::unique_ptr<uint8_t[]> fresh(new (std::nothrow) uint8_t[grown]());
    if (!fresh)
        return false;
    if (length_)
        std::memcpy(fresh.get(), buffer_.get(), length_);
    buffer_ = std::move(fresh);
    capacity_ = uint32_t(grown);
    return true;
}

bool CDataStorage::Append(const void* bytes, uint32_t n)
{
    if (!Reserve(n))
        return false;
    if (n)
        std::memcpy(buffer_.get() + length_, bytes, n);
    length_ += n;
    return true;
}
