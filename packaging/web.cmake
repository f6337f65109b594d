# The browser build: one folder to serve as it is, and its zip.
#
#   <build>/gloomfall/index.html       the page (packaging/web/index.html)
#   <build>/gloomfall/gloomfall.js     the game's loader and glue
#   <build>/gloomfall/gloomfall.wasm   the game
#   <build>/gloomfall/gloomfall.data   the data folder, preloaded before the game starts
#   <build>/gloomfall/gloomfall.png    the icon
#   <build>/gloomfall/gloomfall.webmanifest, gloomfall-192.png, gloomfall-512.png
#                                      the web app (Add to Home Screen) and its icons
#   <build>/gloomfall/licenses/        the licence of each library and of the font
#   <build>/gloomfall-<version>-web.zip   the same files, index.html at the zip's
#                                         root, as web game hosts expect
#
# The data is made by the native tools (GLOOMFALL_DATA_DIR); only what the
# game reads goes into gloomfall.data.
set(data ${GLOOMFALL_DATA_DIR})
file(GLOB web_game_files CONFIGURE_DEPENDS ${data}/gfx/*.png ${data}/sfx/*.ogg)
list(APPEND web_game_files ${data}/song3.ogg ${data}/VeraMono.ttf)
set(web_data ${CMAKE_BINARY_DIR}/web-data)
set(web_data_stamp ${CMAKE_BINARY_DIR}/web-data.stamp)
add_custom_command(OUTPUT ${web_data_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${web_data}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${web_data}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${data}/gfx ${web_data}/gfx
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${data}/sfx ${web_data}/sfx
  COMMAND ${CMAKE_COMMAND} -E copy ${data}/song3.ogg ${data}/VeraMono.ttf ${web_data}
  COMMAND ${CMAKE_COMMAND} -E touch ${web_data_stamp}
  DEPENDS ${web_game_files}
  COMMENT "Gathering the game's data for the browser"
  VERBATIM)
add_custom_target(web_data DEPENDS ${web_data_stamp})
add_dependencies(gloomfall web_data)
set_property(TARGET gloomfall APPEND PROPERTY LINK_DEPENDS ${web_data_stamp})

# What our own SDL (not emscripten's port) needs from emscripten's library,
# in a file: the names' dollar signs do not survive the build tool's quoting.
set(web_library_funcs ${CMAKE_BINARY_DIR}/web-library-funcs.json)
file(WRITE ${web_library_funcs} "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")

target_link_options(gloomfall PRIVATE
  # The game's own loops run unchanged: a delay or a presented frame hands
  # the thread back to the browser and picks up where it left off.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  # A factory the page calls once per play, so "Play again" starts afresh;
  # the page starts the game when the player clicks, and learns its exit.
  -sMODULARIZE=1 -sEXPORT_NAME=createGloomfall -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  "-sEXPORTED_RUNTIME_METHODS=[callMain]"
  -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${web_library_funcs}
  "--preload-file=${web_data}@/"
  # The game's one pause (page hidden, phone upright), in the module before it starts.
  "--pre-js=${CMAKE_SOURCE_DIR}/system/web/web_pause.js")
set_property(TARGET gloomfall APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/system/web/web_pause.js)

set(folder ${CMAKE_BINARY_DIR}/gloomfall)
set(zip ${CMAKE_BINARY_DIR}/gloomfall-${PROJECT_VERSION}-web.zip)
set(page ${CMAKE_SOURCE_DIR}/packaging/web/index.html)
set(manifest ${CMAKE_SOURCE_DIR}/packaging/web/gloomfall.webmanifest)
set(app_icons ${data}/gloomfall-192.png ${data}/gloomfall-512.png)
set(files index.html gloomfall.js gloomfall.wasm gloomfall.data gloomfall.png
          gloomfall.webmanifest gloomfall-192.png gloomfall-512.png licenses)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder} ${zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${page} ${data}/gloomfall.png ${manifest} ${app_icons}
          $<TARGET_FILE_DIR:gloomfall>/gloomfall.js $<TARGET_FILE_DIR:gloomfall>/gloomfall.wasm
          $<TARGET_FILE_DIR:gloomfall>/gloomfall.data ${folder}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${GLOOMFALL_WEB_DEPS}/licenses ${folder}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${data}/VeraMono-COPYRIGHT.txt ${folder}/licenses/VeraMono.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${folder} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${files}
  DEPENDS gloomfall ${page} ${data}/gloomfall.png ${manifest} ${app_icons}
  COMMENT "Putting the page, the game and its data together in gloomfall/ and ${zip}"
  VERBATIM)
add_custom_target(web_package ALL DEPENDS ${zip})
