# The play screen's heaviest frame on the OpenGL device (run with SDL_VIDEODRIVER=offscreen when headless).
quarnix_bench(bench_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/RenderBench.cpp LINKS quarnix_app_play quarnix_presentation quarnix_platform)
if(TARGET bench_render)
  target_compile_definitions(bench_render PRIVATE QUARNIX_GAME_DIR="${QUARNIX_GAME_DIR}")
  add_dependencies(bench_render quarnix_pictures)
endif()
