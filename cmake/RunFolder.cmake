# The run folder build/run/: the engine reads plugins.cfg, ogre.cfg and resources.cfg from the
# working folder, and the two true-type fonts the program names come from the Liberation fonts
# (metric-compatible with the names the program asks for).

set(RUN_FOLDER ${CMAKE_BINARY_DIR}/run)
set(OGRE_PLUGIN_FOLDER /usr/lib/x86_64-linux-gnu/OGRE CACHE PATH "Folder of the OGRE plug-ins")
set(LIBERATION_FONT_FOLDER /usr/share/fonts/truetype/liberation
    CACHE PATH "Folder of the Liberation fonts (Debian package fonts-liberation)")

file(MAKE_DIRECTORY ${RUN_FOLDER} ${RUN_FOLDER}/fonts)

file(CONFIGURE OUTPUT ${RUN_FOLDER}/plugins.cfg CONTENT
"PluginFolder=${OGRE_PLUGIN_FOLDER}
Plugin=RenderSystem_GL
Plugin=Codec_STBI
")

file(CONFIGURE OUTPUT ${RUN_FOLDER}/ogre.cfg CONTENT
"Render System=OpenGL Rendering Subsystem

[OpenGL Rendering Subsystem]
Display Frequency=N/A
FSAA=0
Fixed Pipeline Enabled=Yes
Full Screen=No
RTT Preferred Mode=FBO
VSync=No
Video Mode=1280 x 720
sRGB Gamma Conversion=No
")

file(CONFIGURE OUTPUT ${RUN_FOLDER}/resources.cfg CONTENT
"[General]
FileSystem=${CMAKE_SOURCE_DIR}/media/materials
FileSystem=${CMAKE_SOURCE_DIR}/media/fonts
FileSystem=${CMAKE_SOURCE_DIR}/media/textures
FileSystem=${RUN_FOLDER}/fonts
")

set(RUN_FONTS ${RUN_FOLDER}/fonts/arialbd.ttf ${RUN_FOLDER}/fonts/arialbi.ttf)
add_custom_command(
    OUTPUT ${RUN_FONTS}
    COMMAND ${CMAKE_COMMAND} -E copy ${LIBERATION_FONT_FOLDER}/LiberationSans-Bold.ttf
            ${RUN_FOLDER}/fonts/arialbd.ttf
    COMMAND ${CMAKE_COMMAND} -E copy ${LIBERATION_FONT_FOLDER}/LiberationSans-BoldItalic.ttf
            ${RUN_FOLDER}/fonts/arialbi.ttf
    DEPENDS ${LIBERATION_FONT_FOLDER}/LiberationSans-Bold.ttf
            ${LIBERATION_FONT_FOLDER}/LiberationSans-BoldItalic.ttf
    COMMENT "Copying the Liberation fonts into the run folder"
    VERBATIM)
add_custom_target(run_folder ALL DEPENDS ${RUN_FONTS})
add_dependencies(bramblewick-editor run_folder)
