// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "results.h"

namespace vorna::bench {

inline constexpr const char *kBeginMark = "<!-- bench:begin -->";
inline constexpr const char *kEndMark = "<!-- bench:end -->";

// The measured part of the performance notes, in Markdown.
std::string renderReport(const Machine &machine, int runs, const std::vector<TransferRow> &transfers,
                         const CaptureResult &capture, const StartupResult &startup);

// `document` with the text between the marks replaced by `section`; the marks and
// the section appended when the document has none. Text around the marks is kept.
std::string spliceReport(const std::string &document, const std::string &section);

} // namespace vorna::bench
