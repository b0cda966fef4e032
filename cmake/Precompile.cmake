# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled headers: the Qt, standard and GoogleTest headers nearly every source
# of a kind includes, parsed once per tree instead of once per file. A target of a
# kind owns its header; the others of the kind reuse it, so their compile flags must
# match the owner's: the same options, libraries with libraries and programs with
# programs (-fPIC, -fPIE), and every -D of the owner's (a target may add its own; a
# -D for a single file goes on that file). -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON
# builds without them, which shows a source that leans on them for an include.

set(vorna_pch_kinds core widgets qtest gtest)
set(vorna_pch_core
  <algorithm> <array> <cstdint> <functional> <memory> <optional> <string> <vector>
  <QByteArray> <QCoreApplication> <QDir> <QFile> <QFileInfo> <QList> <QObject>
  <QSerialPort> <QString> <QStringList> <QTextStream> <QTimer>)
set(vorna_pch_widgets ${vorna_pch_core}
  <QApplication> <QCheckBox> <QLabel> <QLineEdit> <QPushButton> <QToolButton> <QWidget>)
set(vorna_pch_qtest ${vorna_pch_widgets} <QtTest>)
set(vorna_pch_gtest ${vorna_pch_core} <gtest/gtest.h>)

# A header whose PCH the compiler cannot use is parsed afresh, silently: say so.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Winvalid-pch>)
endif()

# ccache caches a compile that includes a precompiled header only when told to trust
# the header's macros and __TIME__ (its manual, "Precompiled headers"); otherwise
# every such compile is uncacheable.
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache" AND NOT CMAKE_DISABLE_PRECOMPILE_HEADERS)
  set(sloppiness pch_defines,time_macros)
  if(DEFINED ENV{CCACHE_SLOPPINESS})
    string(PREPEND sloppiness "$ENV{CCACHE_SLOPPINESS},")
  endif()
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=${sloppiness}
      ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

# vorna_precompile(<target> <kind>): the first target of a kind owns the header.
function(vorna_precompile target kind)
  if(NOT kind IN_LIST vorna_pch_kinds)
    message(FATAL_ERROR "vorna_precompile: no header kind ${kind}")
  endif()
  # AUTOMOC's collection file is mostly empty (the moc output is included by the
  # source), and loading the header costs more than it saves there.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
                              PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  get_property(owner GLOBAL PROPERTY vorna_pch_owner_${kind})
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  else()
    target_precompile_headers(${target} PRIVATE ${vorna_pch_${kind}})
    set_property(GLOBAL PROPERTY vorna_pch_owner_${kind} ${target})
  endif()
endfunction()
