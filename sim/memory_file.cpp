#include "sim/memory_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <fstream>

#include "link/memory_map.h"

namespace vorna::sim {

std::string blockFileProblem(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (info.st_size != off_t(link::memory::kBlockSize))
        return "holds " + std::to_string(info.st_size) + " bytes, not " + std::to_string(link::memory::kBlockSize);
    return {};
}

std::optional<std::vector<std::uint8_t>> loadBlockFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // One byte more than a memory tells a longer file; nothing endless is read.
    std::vector<std::uint8_t> bytes(link::memory::kBlockSize + 1);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    if (in.gcount() != std::streamsize(link::memory::kBlockSize))
        return std::nullopt;
    bytes.resize(link::memory::kBlockSize);
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
