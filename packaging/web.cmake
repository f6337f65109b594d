# The browser build: one folder to serve as it is, and its zip.
#
#   <build>/gloomfall/index.html       the page (packaging/web/index.html)
#   <build>/gloomfall/gloomfall.js     the game's loader and glue
#   <build>/gloomfall/gloomfall.wasm   the game
#   <build>/gloomfall/gloomfall.data   the data folder, preloaded before the game starts
#   <build>/gloomfall/song3.ogg        the music, fetched once the title shows
#   <build>/gloomfall/gloomfall.png    the icon
#   <build>/gloomfall/gloomfall.webmanifest, gloomfall-192.png, gloomfall-512.png
#                                      the web app (Add to Home Screen) and its icons
#   <build>/gloomfall/licenses/        the licence of each library and of the font
#   <build>/gloomfall-<version>-web.zip   the same files, index.html at the zip's
#                                         root, as web game hosts expect
#
# The data is made by the native tools (GLOOMFALL_DATA_DIR); only what the
# game reads goes into gloomfall.data, and of that only what the title needs
# or is small: the music (most of the bytes) is a late file, beside the page,
# which the game fetches into its file system once the title is on the
# screen and decodes meanwhile (system/web/web_background.cpp). The list
# reaches the game as Module.lateFiles.
set(data ${GLOOMFALL_DATA_DIR})
set(web_late_files song3.ogg)
file(GLOB web_game_files CONFIGURE_DEPENDS ${data}/gfx/*.png ${data}/sfx/*.ogg)
list(APPEND web_game_files ${data}/VeraMono.ttf)
set(web_data ${CMAKE_BINARY_DIR}/web-data)
set(web_data_stamp ${CMAKE_BINARY_DIR}/web-data.stamp)
set(web_late_js ${CMAKE_BINARY_DIR}/web-late-files.js)
list(JOIN web_late_files "\", \"" web_late_names)
file(WRITE ${web_late_js}.new "Module[\"lateFiles\"] = [\"${web_late_names}\"];\n")
configure_file(${web_late_js}.new ${web_late_js} COPYONLY)
set_property(TARGET gloomfall APPEND PROPERTY LINK_DEPENDS ${web_late_js}
                                                         ${CMAKE_SOURCE_DIR}/graphics/web/web_canvas.js)
add_custom_command(OUTPUT ${web_data_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${web_data}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${web_data}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${data}/gfx ${web_data}/gfx
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${data}/sfx ${web_data}/sfx
  COMMAND ${CMAKE_COMMAND} -E copy ${data}/VeraMono.ttf ${web_data}
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
# The background work's idle-time slices are called through callUserCallback.
file(WRITE ${web_library_funcs} "[\"$autoResumeAudioContext\", \"$dynCall\", \"$callUserCallback\"]\n")

# The game's own loops run unchanged: a delay or a presented frame hands the
# thread back to the browser and picks up where it left off (asyncify). Only
# the functions that can be on the stack then are instrumented for it, which
# takes a quarter off the wasm and the cost off everything else (decoding,
# drawing, the mixer): left to itself asyncify would instrument every
# function that may call through a pointer or throw. The names are the
# wasm's (demangled, with parameters); one that the optimiser inlined away
# only draws a warning at link time. The browser test plays every path here;
# a build with -sASSERTIONS=1 stops at once on a pause through a function
# missing from the list.
set(web_waits
  # The program's entry, and the trampolines exceptions call through (one
  # of them merged under the name "call").
  main call "dynCall_*"
  # The game's loops, down to the frame they present.
  "GloomfallMain()" "StartUp()" "TitleLoop()" "TitleIteration()" "PlayGame()" "GameFrame()"
  # Opening graphics presents two cleared frames; a frame is presented by
  # waiting for the browser's next animation frame, or after a delay.
  "OpenGraphics(*)" "SetGraphics(*)" "TGLES2CanvasDriver::SetGraphics(*)" "TCanvasGraphics::MakeCurrent()"
  "Flip(int)" "TGLES2CanvasDriver::Flip(int)" "GLPacedFlip(int)" "TGLGraphicsDriver::Flip(int)"
  "WindowPlatformPresented(int)" "WebPresentFrame(bool)" "Delay(int)"
  # A game's start cues the music, which waits for the background to finish
  # decoding it, and for its file to arrive if it is still on its way.
  "BeginGame()" "CueSound(*)" "(anonymous namespace)::TBackgroundSound::Cue(*)"
  "(anonymous namespace)::TBackgroundSound::Ready()" "(anonymous namespace)::TIdleWork::Finish()"
  # A replay watched on the title, or verified (whose game cues the music too);
  # a watched one keeps to its recorded pace by a delay in each clock reading.
  "TitleReplays()" "WatchReplay(*)" "VerifyReplays(*)" "GameMillisecs()" "(anonymous namespace)::Pace(int)")
list(JOIN web_waits "\n" web_waits)
set(web_asyncify_only ${CMAKE_BINARY_DIR}/web-asyncify-only.txt)
file(WRITE ${web_asyncify_only}.new "${web_waits}\n")
configure_file(${web_asyncify_only}.new ${web_asyncify_only} COPYONLY)  # touched only when it changes
set_property(TARGET gloomfall APPEND PROPERTY LINK_DEPENDS ${web_asyncify_only})

target_link_options(gloomfall PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_ONLY=@${web_asyncify_only}
  # A factory the page calls once per play, so "Play again" starts afresh;
  # the page starts the game once it has loaded, and learns its exit.
  -sMODULARIZE=1 -sEXPORT_NAME=createGloomfall -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  # The page writes the replays the player gives it into the file system and
  # opens them (WebOpenFile).
  "-sEXPORTED_RUNTIME_METHODS=[callMain,FS,ccall]"
  -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1
  # Less JavaScript, and less to do at start-up: the renderer uses no WebGL
  # extension, and the page passes the module only these settings.
  -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0 -sGL_EMULATE_GLES_VERSION_STRING_FORMAT=0
  -sGL_EXTENSIONS_IN_PREFIXED_FORMAT=0 -sGL_WORKAROUND_SAFARI_GETCONTEXT_BUG=0 -sTEXTDECODER=2
  "-sINCOMING_MODULE_JS_API=[canvas,getPreloadedPackage,instantiateWasm,print,printErr,onExit,onAbort,preRun,locateFile,monitorRunDependencies]"
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${web_library_funcs}
  "--preload-file=${web_data}@/" "--pre-js=${web_late_js}"
  "--js-library=${CMAKE_SOURCE_DIR}/graphics/web/web_canvas.js")

set(folder ${CMAKE_BINARY_DIR}/gloomfall)
set(zip ${CMAKE_BINARY_DIR}/gloomfall-${PROJECT_VERSION}-web.zip)
set(page ${CMAKE_SOURCE_DIR}/packaging/web/index.html)
set(manifest ${CMAKE_SOURCE_DIR}/packaging/web/gloomfall.webmanifest)
set(app_icons ${data}/gloomfall-192.png ${data}/gloomfall-512.png)
list(TRANSFORM web_late_files PREPEND ${data}/ OUTPUT_VARIABLE web_late_paths)
set(files index.html gloomfall.js gloomfall.wasm gloomfall.data ${web_late_files} gloomfall.png
          gloomfall.webmanifest gloomfall-192.png gloomfall-512.png licenses)
# emscripten without Closure Compiler leaves the glue's local names whole:
# terser shortens them and drops what is never used (two fifths of the file).
find_program(TERSER terser REQUIRED)
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder} ${zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${page} ${data}/gloomfall.png ${manifest} ${app_icons} ${web_late_paths}
          $<TARGET_FILE_DIR:gloomfall>/gloomfall.wasm $<TARGET_FILE_DIR:gloomfall>/gloomfall.data ${folder}
  COMMAND env ${GLOOMFALL_WEB_ENV} ${TERSER} $<TARGET_FILE_DIR:gloomfall>/gloomfall.js --compress --mangle
          -o ${folder}/gloomfall.js
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${GLOOMFALL_WEB_DEPS}/licenses ${folder}/licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${data}/VeraMono-COPYRIGHT.txt ${folder}/licenses/VeraMono.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${folder} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${files}
  DEPENDS gloomfall ${page} ${data}/gloomfall.png ${manifest} ${app_icons} ${web_late_paths}
  COMMENT "Putting the page, the game and its data together in gloomfall/ and ${zip}"
  VERBATIM)
add_custom_target(web_package ALL DEPENDS ${zip})
