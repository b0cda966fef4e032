#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the cross build under Wine, with a time limit: a hung Wine
# must not hold up the test run. VORNA_WINE_TIMEOUT seconds, 300 by default.
exec timeout --kill-after=10 "${VORNA_WINE_TIMEOUT:-300}" wine "$@"
