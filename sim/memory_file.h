// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorna::sim {

// The block memory kept in a file between runs: the 512 bytes, nothing else.
// A missing file, or one of another size, gives nothing.
// Why the path cannot be the memory file: anything but a regular file of exactly
// 512 bytes or a path that does not exist yet. Empty when it can. Looks at the
// path without opening it, so a FIFO or a device never blocks or streams.
std::string blockFileProblem(const std::string &path);
std::optional<std::vector<std::uint8_t>> loadBlockFile(const std::string &path);
// Writes a new file of its own beside the file, on disk, and renames it over, so a
// reader never sees half a memory. On false the file is as it was.
bool saveBlockFile(const std::string &path, std::span<const std::uint8_t> block);

} // namespace vorna::sim
