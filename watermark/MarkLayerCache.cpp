#include "watermark/MarkLayerCache.h"

namespace stampora {

std::optional<PreparedMark> CMarkLayerCache::Find(const std::string& key) {
    const std::lock_guard<std::mutex> lock(mutex);
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        if (it->first != key) continue;
        recent.splice(recent.begin(), recent, it);
        return recent.front().second;
    }
    return std::nullopt;
}

void CMarkLayerCache::Store(const std::string& key, const PreparedMark& mark) {
    const std::lock_guard<std::mutex> lock(mutex);
    for (const auto& entry : recent)
        if (entry.first == key) return;  // another worker made the same layer first
    recent.emplace_front(key, mark);
    if (recent.size() > kKept) recent.pop_back();
}

}  // namespace stampora
