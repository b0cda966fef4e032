// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/memory_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

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
    // A name of our own beside the file, made with O_EXCL: a file or a symlink that
    // happens to carry it is never written through or renamed over the memory.
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < block.size();) {
        const ssize_t n = ::write(fd, block.data() + done, block.size() - done);
        if (n > 0)
            done += std::size_t(n);
        else
            ok = n < 0 && errno == EINTR;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace vorna::sim
