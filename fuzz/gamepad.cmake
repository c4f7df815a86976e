# The gamepad mapping file ("gamecontrollerdb.txt" in the data folder) as the
# game hands it to SDL's parser.
quarnix_fuzz(fuzz_pad_mappings SOURCES FuzzPadMappings.cpp LINKS quarnix_platform
             SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/padmappings SECONDS 8)
