# SPDX-License-Identifier: GPL-3.0-or-later
# A folder's sources: every *.cpp and *.h in it, where what differs by system sits in
# *_posix.cpp and *_windows.cpp beside a shared header, and only this system's are kept.
function(vorna_folder_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_windows\\.cpp$")
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()
