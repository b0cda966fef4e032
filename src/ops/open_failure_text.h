// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "link/open_failure.h"

namespace vorna::ops {

// Why the port did not open, in Polish, for the window's status line tooltip.
QString openFailureText(const link::OpenFailure &failure);

// The same for the command line, after "Nie udało się otworzyć portu!": the device
// and the reason in Polish and English, as the program's help is written.
QString openFailureTextBilingual(const link::OpenFailure &failure);

} // namespace vorna::ops
