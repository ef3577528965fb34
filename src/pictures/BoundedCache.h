#pragma once
// A cache of values that each cost some bytes, bounded in bytes and in entries: when a new
// value does not fit, the least recently used ones go first. Not thread-safe: one thread owns it.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

namespace tsb {

template <class V>
class TBoundedCache {
public:
    TBoundedCache(std::size_t maxBytes, std::size_t maxEntries) : maxBytes_(maxBytes), maxEntries_(maxEntries) {}
    TBoundedCache(const TBoundedCache&) = delete;
    TBoundedCache& operator=(const TBoundedCache&) = delete;

    // The value kept under key, now the most recently used; null when there is none.
    const V* Find(const std::string& key) {
        auto it = index_.find(key);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return &it->second->value;
    }

    // Keeps value under key (replacing what was there), making room by dropping the least
    // recently used entries. A value larger than the whole bound is not kept.
    void Put(const std::string& key, V value, std::size_t bytes) {
        Erase(key);
        if (bytes > maxBytes_ || maxEntries_ == 0) return;
        while (!order_.empty() && (bytes_ + bytes > maxBytes_ || order_.size() >= maxEntries_)) DropOldest();
        order_.push_front(Entry{key, std::move(value), bytes});
        index_.emplace(key, order_.begin());
        bytes_ += bytes;
    }

    void Erase(const std::string& key) {
        auto it = index_.find(key);
        if (it == index_.end()) return;
        bytes_ -= it->second->bytes;
        order_.erase(it->second);
        index_.erase(it);
    }

    void Clear() {
        index_.clear();
        order_.clear();
        bytes_ = 0;
    }

    std::size_t Bytes() const { return bytes_; }
    std::size_t Count() const { return order_.size(); }

private:
    struct Entry {
        std::string key;
        V value;
        std::size_t bytes;
    };
    void DropOldest() {
        bytes_ -= order_.back().bytes;
        index_.erase(order_.back().key);
        order_.pop_back();
    }

    std::size_t maxBytes_, maxEntries_;
    std::size_t bytes_ = 0;
    std::list<Entry> order_;  // most recently used first
    std::unordered_map<std::string, typename std::list<Entry>::iterator> index_;
};

// Whether memory is short enough that caches should be given back: little physical memory left
// (under 64 MiB, or under a twentieth of it), or little address space left in this process
// (under 256 MiB: a 32-bit process runs out of that long before the machine runs out of memory).
inline bool MemoryIsShort(std::uint64_t availablePhysical, std::uint64_t totalPhysical,
                          std::uint64_t availableAddressSpace) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    return availablePhysical < 64 * MiB || availablePhysical < totalPhysical / 20 ||
           availableAddressSpace < 256 * MiB;
}

}  // namespace tsb
