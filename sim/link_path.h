// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace vorna::sim {

// The --link path stands for the terminal, so the simulator may take over a symlink
// there (a link left by an earlier run, dangling or not) but never a file, folder or
// device of that name.

// Why `path` cannot become the link; empty when it can (nothing there, or a symlink).
std::string linkPathProblem(const std::string &path);
// A symlink to `target` at `path`, in place of a symlink found there. False when
// anything else is there or the system refuses.
bool placeLink(const std::string &path, const std::string &target);
// Removes the symlink at `path` only while it still points to `target`: another
// simulator may have taken the name since.
void removeLink(const std::string &path, const std::string &target);

} // namespace vorna::sim
