#include "sim/memory_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "link/memory_map.h"

namespace vorna::sim {

std::optional<std::vector<std::uint8_t>> loadBlockFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != link::memory::kBlockSize)
        return std::nullopt;
    return bytes;
}

bool saveBlockFile(const std::string &path, std::span<const std::uint8_t> block)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(block.data()), std::streamsize(block.size()));
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace vorna::sim
