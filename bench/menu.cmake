# The main menu left alone: frames a second, CPU share and peak memory
# (headless: SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null).
quarnix_bench(bench_menu SOURCES ${CMAKE_CURRENT_LIST_DIR}/MenuBench.cpp LINKS quarnix_app_menu quarnix_app_play)
if(TARGET bench_menu)
  target_compile_definitions(bench_menu PRIVATE QUARNIX_GAME_DIR="${QUARNIX_GAME_DIR}")
  add_dependencies(bench_menu quarnix_pictures quarnix_sounds)
endif()
