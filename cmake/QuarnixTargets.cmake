# Shared settings for every target of the project.

add_library(quarnix_options INTERFACE)
target_compile_options(quarnix_options INTERFACE -Wall -Wextra)
target_include_directories(quarnix_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(QUARNIX_SANITIZE)
  target_compile_options(quarnix_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
  target_link_options(quarnix_options INTERFACE -fsanitize=address,undefined)
endif()

# quarnix_library(NAME SOURCES... [LINKS libs...]): one static library per src/ folder.
function(quarnix_library name)
  cmake_parse_arguments(Q "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${Q_SOURCES})
  target_link_libraries(${name} PUBLIC quarnix_options ${Q_LINKS})
endfunction()

# quarnix_game_executable(NAME): an executable that lives in the game folder.
function(quarnix_game_executable name)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUARNIX_GAME_DIR})
endfunction()

# quarnix_test(NAME LABEL label [RENDER_SUITES filter] SOURCES... LINKS libs...): a GoogleTest executable
# registered with CTest. RENDER_SUITES (a gtest filter such as "Render.*:Mixer.*") names the suites that
# draw or play for real: they get the label render, the rest LABEL; one executable links faster than two.
function(quarnix_test name)
  cmake_parse_arguments(Q "" "LABEL;TIMEOUT;RENDER_SUITES" "SOURCES;LINKS;ENVIRONMENT" ${ARGN})
  if(NOT Q_LABEL)
    set(Q_LABEL unit)
  endif()
  if(NOT Q_TIMEOUT)
    set(Q_TIMEOUT 300)
  endif()
  add_executable(${name} ${Q_SOURCES})
  target_link_libraries(${name} PRIVATE quarnix_options ${Q_LINKS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QUARNIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             QUARNIX_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
                                             QUARNIX_GAME_DIR="${QUARNIX_GAME_DIR}")
  if(Q_ENVIRONMENT)
    # Through a launcher rather than the ENVIRONMENT property: every variable of the
    # list reaches the test (and its discovery), not only the first.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${Q_ENVIRONMENT}")
  endif()
  if(Q_RENDER_SUITES)
    gtest_discover_tests(${name} TEST_FILTER "-${Q_RENDER_SUITES}"
                         PROPERTIES LABELS ${Q_LABEL} TIMEOUT ${Q_TIMEOUT} DISCOVERY_TIMEOUT 60)
    gtest_discover_tests(${name} TEST_FILTER "${Q_RENDER_SUITES}"
                         PROPERTIES LABELS render TIMEOUT ${Q_TIMEOUT} DISCOVERY_TIMEOUT 60)
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS ${Q_LABEL} TIMEOUT ${Q_TIMEOUT} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
