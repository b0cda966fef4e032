#include <gtest/gtest.h>

#include <vector>

#include "project/name_index.h"

namespace vorna::project {
namespace {

// Ids with their hashes and names, as a caller keeps them.
struct Entry {
    std::size_t hash;
    int name;
};

qsizetype find(const NameIndex &index, const std::vector<Entry> &entries, std::size_t hash, int name)
{
    return index.find(hash, [&](qsizetype id) {
        const Entry &e = entries[std::size_t(id)];
        return e.hash == hash && e.name == name;
    });
}

TEST(NameIndex, FirstOfTwinsWinsAndOthersAreFound)
{
    // Ids 0 and 2 share a name, 1 and 3 only share the hash with them.
    const std::vector<Entry> entries = {{7, 1}, {7, 2}, {7, 1}, {7, 3}, {8, 1}};
    NameIndex index(entries.size());
    for (std::size_t id = 0; id < entries.size(); ++id)
        index.add(entries[id].hash, qsizetype(id));
    EXPECT_EQ(find(index, entries, 7, 1), 0);
    EXPECT_EQ(find(index, entries, 7, 2), 1);
    EXPECT_EQ(find(index, entries, 7, 3), 3);
    EXPECT_EQ(find(index, entries, 8, 1), 4);
    EXPECT_EQ(find(index, entries, 7, 4), -1);
    EXPECT_EQ(find(index, entries, 9, 1), -1);
}

TEST(NameIndex, HoldsAsManyIdsAsAskedFor)
{
    // Around the size a table holds without the heap, and well past it.
    for (const std::size_t count : {0, 1, 21, 22, 500}) {
        std::vector<Entry> entries;
        for (std::size_t id = 0; id < count; ++id)
            entries.push_back({id % 5 == 0 ? 3 : id * 0x9E3779B97F4A7C15ull, int(id)}); // some hashes alike
        NameIndex index(count);
        for (std::size_t id = 0; id < count; ++id)
            index.add(entries[id].hash, qsizetype(id));
        for (std::size_t id = 0; id < count; ++id)
            EXPECT_EQ(find(index, entries, entries[id].hash, int(id)), qsizetype(id)) << count;
        EXPECT_EQ(find(index, entries, 3, -1), -1) << count;
    }
}

} // namespace
} // namespace vorna::project
