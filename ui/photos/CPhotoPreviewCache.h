#pragma once
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "ui/photos/CDibImage.h"

// The last decoded preview pictures by address, the least recently used one
// dropped when a new one would make more than the capacity: stepping through
// a long list keeps memory flat, and stepping back shows a picture at once.
class CPhotoPreviewCache
{
public:
    static constexpr size_t kDefaultCapacity = 64;

    explicit CPhotoPreviewCache(size_t capacity = kDefaultCapacity) : m_capacity(capacity ? capacity : 1) {}

    // The picture, now the most recently used; null when not kept.
    std::shared_ptr<const CDibImage> Find(const std::wstring& url);
    // Keeps the picture (replacing one of the same address).
    void Add(const std::wstring& url, std::shared_ptr<const CDibImage> image);

    size_t Size() const { return m_order.size(); }
    size_t Capacity() const { return m_capacity; }

private:
    using Entry = std::pair<std::wstring, std::shared_ptr<const CDibImage>>;

    size_t m_capacity;
    std::list<Entry> m_order; // most recently used first
    std::unordered_map<std::wstring, std::list<Entry>::iterator> m_index;
};
