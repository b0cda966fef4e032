# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and the Debian package. Included at the very end of the top-level
# CMakeLists.txt, so every program target of the tree exists by now.
include(GNUInstallDirs)

set(vorna_programs vorna vorna-cli)
if(TARGET vorna-sim)
  list(APPEND vorna_programs vorna-sim)
endif()
install(TARGETS ${vorna_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The committed PNGs are the window's icon scaled by whole pixels; the Windows build
# makes its .ico from them. After a change to src/app/icon.cpp,
# `cmake --build <dir> --target vorna-icons` renders them again into data/icons/;
# commit the result (a window test compares them with the icon).
set(vorna_window_icon_sizes 32 64 128)
add_executable(vorna-icon-export EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/data/icons/icon_export.cpp)
target_link_libraries(vorna-icon-export PRIVATE vorna_app)
add_custom_target(vorna-icons
  COMMAND vorna-icon-export ${PROJECT_SOURCE_DIR}/data/icons ${vorna_window_icon_sizes}
  COMMENT "Rendering the window's icon into data/icons/"
  VERBATIM)

if(WIN32)
  return()
endif()

# What a Linux desktop and Debian want beside the programs.
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ThemeIcons.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)

install(FILES ${vorna_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/data/vorna.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/io.github.vorna.vorna.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${vorna_icon_svg}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${vorna_theme_icon_sizes})
  install(FILES ${vorna_theme_icon_dir}/vorna-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vorna.png)
endforeach()

# Where bash-completion's pkg-config file puts completions for the prefix /usr; it
# also looks under every $XDG_DATA_DIRS, so another prefix works as well.
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/vorna-cli
              ${PROJECT_SOURCE_DIR}/data/completion/vorna-sim
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

install(FILES ${vorna_package_docs} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorna)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vorna)

include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
