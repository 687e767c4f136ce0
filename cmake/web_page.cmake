# The browser build's programs and the engine the page runs.
#   sortie         the game for the page: its blocking loop runs as it is (asyncify turns
#                  each sleep into a return to the browser); the page writes the game folder
#                  into its memory file system and starts it (platform/web/).
#   sortie-replay  for node, on the real file system: the proof that the wasm engine plays
#                  the same frames as the native one.
# The target web-engine gathers the page and the game's program into build/web-engine/,
# where sortie-export --web (built natively) takes them from.
target_sources(sortie PRIVATE ${CMAKE_SOURCE_DIR}/platform/web/page_web.cpp)
# The page's input=FILE is read as sortie-replay reads its input files.
target_link_libraries(sortie PRIVATE sortie_tools)
target_link_options(sortie PRIVATE
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=131072 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1 -lidbfs.js
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','callMain','addRunDependency','removeRunDependency']"
  --js-library ${CMAKE_SOURCE_DIR}/platform/web/sound_deps.js "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=['sortie_sound_deps']")
# Asyncify prepares every function that could be on the stack at a sleep, through any
# indirect call, to be unwound and rewound. The libraries' functions never are (the game's
# sleeps are its platform's, emscripten_sleep called directly, and no library calls back into
# the game while it could sleep): left out, the link takes a third of the time and the
# program a quarter less room.
target_link_options(sortie PRIVATE -sASYNCIFY_REMOVE=@${CMAKE_SOURCE_DIR}/platform/web/asyncify_remove.txt)
set_target_properties(sortie PROPERTIES LINK_DEPENDS
  "${CMAKE_SOURCE_DIR}/platform/web/sound_deps.js;${CMAKE_SOURCE_DIR}/platform/web/asyncify_remove.txt")
target_link_options(sortie-replay PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1)

set(SORTIE_WEB_ENGINE_DIR ${CMAKE_SOURCE_DIR}/build/web-engine CACHE PATH "Where the page and the game's program are gathered")
add_custom_target(web-engine ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SORTIE_WEB_ENGINE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE_DIR:sortie>/sortie.js $<TARGET_FILE_DIR:sortie>/sortie.wasm
          ${CMAKE_SOURCE_DIR}/platform/web/index.html ${SORTIE_WEB_ENGINE_DIR}
  DEPENDS sortie ${CMAKE_SOURCE_DIR}/platform/web/index.html
  COMMENT "Gathering the web engine in ${SORTIE_WEB_ENGINE_DIR}"
  VERBATIM)
