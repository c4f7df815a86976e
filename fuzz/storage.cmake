# The controls and scores readers under any bytes. Seeds are files the writers made.
quarnix_fuzz(fuzz_controls_reader SOURCES FuzzControlsReader.cpp LINKS quarnix_storage
             SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/controls SECONDS 15)
quarnix_fuzz(fuzz_scores_reader SOURCES FuzzScoresReader.cpp LINKS quarnix_storage
             SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/scores SECONDS 15)
