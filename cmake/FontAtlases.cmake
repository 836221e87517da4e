# The nine menu fonts are image fonts rendered here from Liberation Sans Bold. The engine's own
# TrueType fonts pack glyphs a pixel apart, and the text element samples a little beyond each
# glyph so outlines are not cut off; these atlases leave room for that.
#
# Each size class is rendered near the largest text height it serves (the panels pick "100" from
# 36 px up, "050" from 14 px, "025" below), so text is only ever scaled down. The outlined and
# the input family look the same and share one atlas.

find_package(Freetype REQUIRED)

set(MENU_FONT_FOLDER ${CMAKE_BINARY_DIR}/run/fonts)
set(MENU_FONT_SOURCE /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
    CACHE FILEPATH "TrueType font the menu font atlases are rendered from")

add_executable(make_font_atlas ${CMAKE_SOURCE_DIR}/tools/make_font_atlas.cpp)
target_compile_options(make_font_atlas PRIVATE -Wall -Wextra)
target_link_libraries(make_font_atlas PRIVATE Freetype::Freetype)

set(MENU_FONT_FILES)

# menu_font_atlas(<atlas> <line height px> <outline px> <font name>...)
function(menu_font_atlas atlas lineHeight outline)
    set(image ${MENU_FONT_FOLDER}/${atlas}.tga)
    set(fontdef ${MENU_FONT_FOLDER}/${atlas}.fontdef)
    add_custom_command(
        OUTPUT ${image} ${fontdef}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MENU_FONT_FOLDER}
        COMMAND make_font_atlas ${MENU_FONT_SOURCE} ${lineHeight} ${outline} ${image} ${fontdef}
                ${ARGN}
        DEPENDS make_font_atlas ${MENU_FONT_SOURCE}
        COMMENT "Rendering the menu font atlas ${atlas}"
        VERBATIM)
    set(MENU_FONT_FILES ${MENU_FONT_FILES} ${image} ${fontdef} PARENT_SCOPE)
endfunction()

menu_font_atlas(MenuFontOutline100 64 3
    Latin1BasicFontOutline100 Latin1InputFontOutline100)
menu_font_atlas(MenuFontOutline050 36 2
    Latin1BasicFontOutline050 Latin1InputFontOutline050)
menu_font_atlas(MenuFontOutline025 16 1.5
    Latin1BasicFontOutline025 Latin1InputFontOutline025)
menu_font_atlas(MenuFont100 64 0 Latin1BasicFont100)
menu_font_atlas(MenuFont050 36 0 Latin1BasicFont050)
menu_font_atlas(MenuFont025 16 0 Latin1BasicFont025)

add_custom_target(menu_fonts ALL DEPENDS ${MENU_FONT_FILES})
add_dependencies(bramblewick-editor menu_fonts)
