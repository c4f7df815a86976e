# The game is free of tools/: the generators and quarnix-tool use the game's
# libraries, never the other way round. quarnix_check_src_free_of_tools()
# stops the configuration when a target defined under src/ links a target
# defined under tools/, compiles a source file from tools/, or has a tools/
# folder among its include folders; the build step quarnix_src_includes then
# refuses a source under src/ that names a tools/ header in an #include.

function(quarnix_targets_under dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    quarnix_targets_under(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(quarnix_check_src_free_of_tools)
  set(tools ${PROJECT_SOURCE_DIR}/tools)
  quarnix_targets_under(${PROJECT_SOURCE_DIR}/src targets)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()  # custom targets: build order only, no code
    endif()
    get_target_property(home ${target} SOURCE_DIR)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${target} ${property})
      foreach(lib ${libs})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
        if(TARGET ${lib})
          get_target_property(libHome ${lib} SOURCE_DIR)
          if(libHome MATCHES "^${tools}(/|$)")
            message(FATAL_ERROR "${target} (${home}) links ${lib}, which is defined under tools/: "
                                "the game's code must not depend on the tools. Move what it needs into src/.")
          endif()
        endif()
      endforeach()
    endforeach()
    foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
      get_target_property(dirs ${target} ${property})
      foreach(dir ${dirs})
        if(dir MATCHES "^${tools}(/|$)")
          message(FATAL_ERROR "${target} (${home}) includes headers from ${dir}: the game must not use tools/.")
        endif()
      endforeach()
    endforeach()
    get_target_property(sources ${target} SOURCES)
    foreach(source ${sources})
      get_filename_component(source "${source}" ABSOLUTE BASE_DIR ${home})
      if(source MATCHES "^${tools}/")
        message(FATAL_ERROR "${target} (${home}) compiles ${source}: the game must not use tools/.")
      endif()
    endforeach()
  endforeach()

  # The #include lines themselves, checked whenever a source under src/ changes.
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)
  set(stamp ${CMAKE_BINARY_DIR}/src-includes-checked.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckSrcIncludes.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckSrcIncludes.cmake
    COMMENT "Checking that src/ includes nothing from tools/"
    VERBATIM)
  add_custom_target(quarnix_src_includes ALL DEPENDS ${stamp})
endfunction()
