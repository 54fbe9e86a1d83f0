#include "ui/photos/CPhotoPreviewCache.h"

std::shared_ptr<const CDibImage> CPhotoPreviewCache::Find(const std::wstring& url)
{
    const auto found = m_index.find(url);
    if (found == m_index.end())
        return nullptr;
    m_order.splice(m_order.begin(), m_order, found->second);
    return found->second->second;
}

void CPhotoPreviewCache::Add(const std::wstring& url, std::shared_ptr<const CDibImage> image)
{
    if (!image)
        return;
    const auto found = m_index.find(url);
    if (found != m_index.end()) {
        found->second->second = std::move(image);
        m_order.splice(m_order.begin(), m_order, found->second);
        return;
    }
    m_order.emplace_front(url, std::move(image));
    m_index[url] = m_order.begin();
    while (m_order.size() > m_capacity) {
        m_index.erase(m_order.back().first);
        m_order.pop_back();
    }
}
