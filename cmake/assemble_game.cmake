# Copies the hand-written game files from CONTENT_DIR into the game folder GAME_DIR.
# data/charlist.txt is the one file the game itself rewrites (weapon changes persist), so
# it is copied only when the game folder has none or the content's copy is newer; every
# other file is copied when it differs.
foreach(folder data bmp wav)
  file(MAKE_DIRECTORY ${GAME_DIR}/${folder})
  if(NOT IS_DIRECTORY ${CONTENT_DIR}/${folder})
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE ${CONTENT_DIR}/${folder} ${CONTENT_DIR}/${folder}/*)
  foreach(name ${files})
    set(from ${CONTENT_DIR}/${folder}/${name})
    set(to ${GAME_DIR}/${folder}/${name})
    get_filename_component(toDir ${to} DIRECTORY)
    file(MAKE_DIRECTORY ${toDir})
    if(folder STREQUAL "data" AND name STREQUAL "charlist.txt")
      # IS_NEWER_THAN also holds for equal times; a copy made here is never older.
      if(NOT EXISTS ${to} OR ${from} IS_NEWER_THAN ${to})
        file(COPY_FILE ${from} ${to})
      endif()
    else()
      file(COPY_FILE ${from} ${to} ONLY_IF_DIFFERENT)
    endif()
  endforeach()
endforeach()
