#pragma once
#include <QtGlobal>
#include <cstddef>
#include <vector>

namespace vorna::project {

// Ids (line or entry numbers) by the hash of their folded name, open addressing with
// linear probing. Ids of one hash lie along the probe path in the order they were
// added, so a lookup meets the first one stored: the file rules' "first match wins".
class NameIndex {
public:
    // Room for `count` ids.
    explicit NameIndex(std::size_t count)
    {
        // At most two thirds full, so that probes stay short and always end.
        std::size_t size = 8;
        while (size < count + count / 2 + 1)
            size *= 2;
        slots_.resize(size);
        mask_ = size - 1;
    }

    void add(std::size_t hash, qsizetype id)
    {
        std::size_t s = start(hash);
        while (slots_[s].id >= 0)
            s = (s + 1) & mask_;
        slots_[s] = {hash, id};
    }

    // The first id added under `hash` for which same(id) holds, or -1.
    template <typename Same> qsizetype find(std::size_t hash, Same same) const
    {
        for (std::size_t s = start(hash);; s = (s + 1) & mask_) {
            const Slot &slot = slots_[s];
            if (slot.id < 0)
                return -1;
            if (slot.hash == hash && same(slot.id))
                return slot.id;
        }
    }

private:
    struct Slot {
        std::size_t hash = 0;
        qsizetype id = -1;
    };

    std::size_t start(std::size_t hash) const { return (hash ^ (hash >> 29)) & mask_; }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

} // namespace vorna::project
