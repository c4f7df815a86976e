# The game's file table (src/content/GameFiles.h) as the build sees it.
# quarnix_game_files(<var> <role>...) sets <var> to the full paths, in the game
# folder, of the files of those roles (Mesh, ScreenImage, Effect, Music ...):
# the generators' lists of outputs. A row the pattern does not read stops the
# configuration, so the table and the build cannot drift apart.

set(QUARNIX_GAME_FILES_HEADER ${PROJECT_SOURCE_DIR}/src/content/GameFiles.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUARNIX_GAME_FILES_HEADER})

function(quarnix_game_files var)
  file(STRINGS ${QUARNIX_GAME_FILES_HEADER} rows REGEX "^ *{FileRole::")
  set(files)
  foreach(row ${rows})
    if(NOT row MATCHES "^ *{FileRole::([A-Za-z]+), [0-9]+, (\"[A-Za-z]*\"|[A-Za-z]+), (\"[^\"]+\"|[A-Za-z]+)},$")
      message(FATAL_ERROR "${QUARNIX_GAME_FILES_HEADER}: cannot read the row '${row}'")
    endif()
    set(role ${CMAKE_MATCH_1})
    set(folder ${CMAKE_MATCH_2})
    set(name ${CMAKE_MATCH_3})
    if(NOT role IN_LIST ARGN)
      continue()
    endif()
    if(NOT name MATCHES "^\"(.*)\"$")
      message(FATAL_ERROR "${QUARNIX_GAME_FILES_HEADER}: a ${role} file needs its name in the row: '${row}'")
    endif()
    set(name ${CMAKE_MATCH_1})
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" folder "${folder}")
    if(folder STREQUAL "")
      list(APPEND files ${QUARNIX_GAME_DIR}/${name})
    else()
      list(APPEND files ${QUARNIX_GAME_DIR}/${folder}/${name})
    endif()
  endforeach()
  if(NOT files)
    message(FATAL_ERROR "${QUARNIX_GAME_FILES_HEADER}: no files of the roles ${ARGN}")
  endif()
  set(${var} ${files} PARENT_SCOPE)
endfunction()
