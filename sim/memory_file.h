#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorna::sim {

// The block memory kept in a file between runs: the 512 bytes, nothing else.
// A missing file, or one of another size, gives nothing.
std::optional<std::vector<std::uint8_t>> loadBlockFile(const std::string &path);
// Writes beside the file and renames, so a reader never sees half a memory.
bool saveBlockFile(const std::string &path, std::span<const std::uint8_t> block);

} // namespace vorna::sim
