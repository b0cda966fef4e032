#pragma once
#include <QtGlobal>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>

namespace vorna::project {

// Ids (line or entry numbers) by the hash of their folded name, open addressing with
// linear probing. Ids of one hash lie along the probe path in the order they were
// added, so a lookup meets the first one stored: the file rules' "first match wins".
// Slots hold only the ids; the caller knows each id's hash and name.
class NameIndex {
public:
    // Room for `count` ids. Most sections are small, and their tables need no heap.
    explicit NameIndex(std::size_t count)
    {
        // At most two thirds full, so that probes stay short and always end.
        std::size_t size = kInline;
        while (size < count + count / 2 + 1)
            size *= 2;
        if (size > kInline) {
            heap_ = std::make_unique_for_overwrite<Slot[]>(size);
            slots_ = std::span<Slot>(heap_.get(), size);
        } else {
            slots_ = std::span<Slot>(inline_);
        }
        std::memset(slots_.data(), 0xFF, slots_.size_bytes()); // all -1
        mask_ = size - 1;
    }
    NameIndex(const NameIndex &) = delete;
    NameIndex &operator=(const NameIndex &) = delete;

    void add(std::size_t hash, qsizetype id)
    {
        Slot *const table = slots_.data();
        std::size_t s = start(hash);
        while (table[s] >= 0)
            s = (s + 1) & mask_;
        table[s] = id;
    }

    // The first id added under `hash` for which same(id) holds, or -1. same() must
    // compare the hash first: ids of other hashes share the probe path.
    template <typename Same> qsizetype find(std::size_t hash, Same same) const
    {
        const Slot *const table = slots_.data();
        for (std::size_t s = start(hash);; s = (s + 1) & mask_) {
            const qsizetype id = table[s];
            if (id < 0)
                return -1;
            if (same(id))
                return id;
        }
    }

private:
    using Slot = qsizetype; // -1 for an empty slot
    static constexpr std::size_t kInline = 32;

    std::size_t start(std::size_t hash) const { return (hash ^ (hash >> 29)) & mask_; }

    std::array<Slot, kInline> inline_;
    std::unique_ptr<Slot[]> heap_;
    std::span<Slot> slots_;
    std::size_t mask_ = 0;
};

} // namespace vorna::project
