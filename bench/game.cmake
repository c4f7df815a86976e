# The landing sequence, the bot's choice and whole bot games (pieces per second).
quarnix_bench(bench_game SOURCES ${CMAKE_CURRENT_LIST_DIR}/GameBench.cpp LINKS quarnix_game)
