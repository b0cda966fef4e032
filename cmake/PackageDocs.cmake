# SPDX-License-Identifier: GPL-3.0-or-later
# /usr/share/doc/vorna as Debian wants it: the machine-readable copyright file,
# the package's own changelog and the project's, both compressed with gzip -9n.
find_program(VORNA_GZIP gzip REQUIRED)

set(vorna_doc_dir ${CMAKE_BINARY_DIR}/doc)
set(vorna_package_docs ${PROJECT_SOURCE_DIR}/data/debian/copyright)
foreach(pair "data/debian/changelog:changelog.Debian" "CHANGELOG.md:changelog")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${vorna_doc_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${vorna_doc_dir}/${name}
    COMMAND ${VORNA_GZIP} -9nf ${vorna_doc_dir}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND vorna_package_docs ${vorna_doc_dir}/${name}.gz)
endforeach()
add_custom_target(vorna-package-docs ALL DEPENDS ${vorna_package_docs})
