# Install rules, included from the top CMakeLists.txt. The programs find what they ship at
# <bin>/../share/sortie/, so the data directory must stay share/ beside bin/.
include(GNUInstallDirs)

# The desktop's name for the program: the entry, the metadata and the icon go by it.
set(SORTIE_APP_ID org.sortie.Sortie)
set(SORTIE_SHARE ${CMAKE_INSTALL_DATADIR}/sortie)
# Where the project's pages are published; the metadata points there for the screenshots
# (docs/screenshots/ of this repository).
set(SORTIE_HOMEPAGE "https://sortie.org" CACHE STRING "The project's home page")

# The game may go where a system keeps its games (Debian's /usr/games); like bin/, that
# folder stands beside share/, where the game finds what it ships.
set(SORTIE_GAME_BINDIR ${CMAKE_INSTALL_BINDIR} CACHE STRING "Where the game itself is installed (bin or games)")
install(TARGETS sortie RUNTIME DESTINATION ${SORTIE_GAME_BINDIR})
install(TARGETS sortie-replay sortie-check sortie-new sortie-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The demo: the hand-written files from content/, the generated pictures and sounds from
# the assembled game folder (which holds nothing else the game reads).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/content/data DESTINATION ${SORTIE_SHARE}/game)
install(DIRECTORY ${SORTIE_GAME_DIR}/bmp ${SORTIE_GAME_DIR}/wav DESTINATION ${SORTIE_SHARE}/game)
if(SORTIE_INSTALL_FONT AND EXISTS ${SORTIE_FONT_FILE})
  install(FILES ${SORTIE_FONT_FILE} DESTINATION ${SORTIE_SHARE})
endif()

# The icons, drawn by the asset generator into the layout of an icon theme.
set(SORTIE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${SORTIE_ICON_DIR}/.icons-stamp
  COMMAND sortie-assets --icons ${SORTIE_ICON_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${SORTIE_ICON_DIR}/.icons-stamp
  DEPENDS sortie-assets
  COMMENT "Drawing the program's icons")
add_custom_target(icons ALL DEPENDS ${SORTIE_ICON_DIR}/.icons-stamp)
install(DIRECTORY ${SORTIE_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor PATTERN .icons-stamp EXCLUDE)

# The version and the date of this release reach the metadata and the manual pages from
# here; the date is the last commit's, so that a rebuild gives the same files.
set(SORTIE_RELEASE_DATE "" CACHE STRING "The release's date (YYYY-MM-DD); empty: the last commit's")
if(NOT SORTIE_RELEASE_DATE)
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%cs
                  OUTPUT_VARIABLE SORTIE_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT SORTIE_RELEASE_DATE)
    string(TIMESTAMP SORTIE_RELEASE_DATE "%Y-%m-%d" UTC)
  endif()
endif()

configure_file(${CMAKE_SOURCE_DIR}/packaging/sortie.desktop ${CMAKE_BINARY_DIR}/packaging/${SORTIE_APP_ID}.desktop COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${SORTIE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${SORTIE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${SORTIE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(page sortie.6 sortie-replay.1 sortie-check.1 sortie-new.1 sortie-export.1)
  string(REGEX REPLACE "^.*[.]" "" section ${page})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/man/${page} ${CMAKE_BINARY_DIR}/packaging/man/${page} @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
