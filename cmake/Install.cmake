# Installation and the Debian package. Included at the very end of the top-level
# CMakeLists.txt, so every program target of the tree exists by now.
include(GNUInstallDirs)

set(vorna_programs vorna vorna-cli)
if(TARGET vorna-sim)
  list(APPEND vorna_programs vorna-sim)
endif()
install(TARGETS ${vorna_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/data/vorna.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(vorna_icon_sizes 32 64 128)
foreach(size ${vorna_icon_sizes})
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/vorna-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vorna.png)
endforeach()

# The PNGs above are committed, so building a package never runs a GUI program. After
# a change to the window's icon, `cmake --build <dir> --target vorna-icons` renders
# them again into data/icons/; commit the result.
add_executable(vorna-icon-export EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/data/icons/icon_export.cpp)
target_link_libraries(vorna-icon-export PRIVATE vorna_app)
add_custom_target(vorna-icons
  COMMAND vorna-icon-export ${PROJECT_SOURCE_DIR}/data/icons ${vorna_icon_sizes}
  COMMENT "Rendering the icon into data/icons/"
  VERBATIM)

# Debian package: `cpack -G DEB` in the build folder.
set(VORNA_PACKAGE_MAINTAINER "Vorna developers <vorna@example.org>"
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
    "reader, sets the bus address and keeps all settings in project files. The\n"
    "window is in Polish. The package also holds vorna-sim, a controller simulator\n"
    "on a pseudo-terminal.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VORNA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named outright: the platform plugins are loaded at run time, so no library scan finds them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6, libqt6gui6, libqt6core6, libqt6serialport6, qt6-qpa-plugins")
# libc6 and libstdc++6 with their versions, from the linked programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
