# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry's icon in every size the hicolor theme lists, rendered at build
# time from the one drawing, data/icons/vorna.svg. The window's own 32 x 32,
# 16-colour icon stays in src/app/icon.cpp.
find_program(VORNA_RSVG_CONVERT rsvg-convert REQUIRED)

set(vorna_icon_svg ${PROJECT_SOURCE_DIR}/data/icons/vorna.svg)
set(vorna_theme_icon_sizes 16 22 24 32 48 64 128 256)
set(vorna_theme_icon_dir ${CMAKE_BINARY_DIR}/icons)
set(vorna_theme_icons)
foreach(size ${vorna_theme_icon_sizes})
  set(png ${vorna_theme_icon_dir}/vorna-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${VORNA_RSVG_CONVERT} --width=${size} --height=${size} --output=${png}
            ${vorna_icon_svg}
    DEPENDS ${vorna_icon_svg}
    COMMENT "Icon at ${size} px"
    VERBATIM)
  list(APPEND vorna_theme_icons ${png})
endforeach()
add_custom_target(vorna-theme-icons ALL DEPENDS ${vorna_theme_icons})
