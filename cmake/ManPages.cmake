# SPDX-License-Identifier: GPL-3.0-or-later
# Manual pages in section 1, made by help2man from each program's --help and
# --version at build time, so they list the options the programs take;
# data/man/<program>.h2m adds the sections --help lacks. Each page is in the
# language of its program's texts. help2man names the sections in Polish only
# under a pl_PL locale, which the machine need not have: it is compiled into the
# build folder and found there through LOCPATH.
find_program(VORNA_HELP2MAN help2man REQUIRED)
find_program(VORNA_LOCALEDEF localedef REQUIRED)
find_program(VORNA_GZIP gzip REQUIRED)

set(vorna_man_dir ${CMAKE_BINARY_DIR}/man)
set(vorna_man_locale ${vorna_man_dir}/locale/pl_PL.UTF-8)
add_custom_command(OUTPUT ${vorna_man_locale}/LC_MESSAGES/SYS_LC_MESSAGES
  COMMAND ${VORNA_LOCALEDEF} -i pl_PL -f UTF-8 ${vorna_man_locale}
  COMMENT "Compiling the pl_PL.UTF-8 locale for help2man"
  VERBATIM)

# A sanitizer build's programs may report Qt's allocations kept until exit, which
# help2man would take for a failed --help.
set(vorna_man_env LOCPATH=${vorna_man_dir}/locale)
if(VORNA_SANITIZE)
  list(APPEND vorna_man_env ASAN_OPTIONS=detect_leaks=0)
endif()

set(vorna_man_pages)
function(vorna_man_page program locale)
  set(page ${vorna_man_dir}/${program}.1)
  set(include ${PROJECT_SOURCE_DIR}/data/man/${program}.h2m)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env ${vorna_man_env}
            ${VORNA_HELP2MAN} --no-info --section=1 --locale=${locale}
            --include=${include} --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${VORNA_GZIP} -9nkf ${page}
    DEPENDS ${program} ${include} ${vorna_man_locale}/LC_MESSAGES/SYS_LC_MESSAGES
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  list(APPEND vorna_man_pages ${page}.gz)
  set(vorna_man_pages ${vorna_man_pages} PARENT_SCOPE)
endfunction()

vorna_man_page(vorna pl_PL.UTF-8)
vorna_man_page(vorna-cli pl_PL.UTF-8)
vorna_man_page(vorna-sim C.UTF-8)
add_custom_target(vorna-man-pages ALL DEPENDS ${vorna_man_pages})
