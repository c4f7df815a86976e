# The replay reader: any bytes as a replay file, and the same bytes with a
# matching checksum so that mutations reach the header and the frames.
quarnix_fuzz(fuzz_replay_reader SOURCES FuzzReplay.cpp LINKS quarnix_app_core
             SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/replay SECONDS 10)
