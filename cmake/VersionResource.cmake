# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows version resource of a program (Explorer's Details tab), made from the
# project's one version. Polish, as every text the user sees.
set(VORNA_COPYRIGHT "© 2026 Autorzy programu Vorna. Licencja GNU GPL w wersji 3 lub późniejszej.")

# vorna_version_resource(<target> <description> [<more resource lines>])
function(vorna_version_resource target description)
  set(VORNA_RC_NAME ${target})
  set(VORNA_RC_FILE ${target}.exe)
  set(VORNA_RC_DESCRIPTION ${description})
  set(VORNA_RC_EXTRA "${ARGN}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
