# SPDX-License-Identifier: GPL-3.0-or-later
# Debian package: `cpack -G DEB` in a Release build folder (scripts/package.sh).

# The package's version is the newest entry of its changelog, which must be for
# this version of the project.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/debian/changelog vorna_changelog_head LIMIT_COUNT 1)
if(NOT vorna_changelog_head MATCHES "^vorna \\(([^-]+)-([^)]+)\\) ")
  message(FATAL_ERROR "data/debian/changelog: no package version in its first line")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "data/debian/changelog is for ${CMAKE_MATCH_1}, the project is "
                      "${PROJECT_VERSION}: add an entry for it")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

# The project has no mail address of its own: the reserved domain says so.
set(VORNA_PACKAGE_MAINTAINER "Vorna developers <vorna@vorna.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VORNA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programmer for RFID locker controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorna reads and writes the settings of an RFID locker controller over a serial\n"
    "line (a USB-RS485 adapter): card numbers, LED locker numbers, lock opening\n"
    "times and guardian cards. It opens single lockers, captures a card held to the\n"
    "reader, sets the bus address and keeps all settings in project files.\n"
    "\n"
    "The package holds three programs: vorna, the window (in Polish), vorna-cli,\n"
    "the same operations from the command line for scripts, and vorna-sim, a\n"
    "controller simulator on a pseudo-terminal for trying and testing the other\n"
    "two without a controller.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VORNA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# One Depends list: dpkg-shlibdeps adds every library the programs link; only what
# Qt loads at run time is named here: the platform plugins, the translation that
# puts Qt's own texts (dialogs, context menus) in Polish, and the font family the
# site sheet is set in (vorna-cli report), which no library pulls in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core")

# Stripped, as dh_strip does it, with the compiler's notes dropped too; the
# debugging data is not shipped.
set(CPACK_STRIP_FILES ON)
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${vorna_programs})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
include(CPack)
