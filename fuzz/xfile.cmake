# The X-file reader (and, for what it accepts, the writer) under libFuzzer.
# Seeds: the shared sample files and files our own writer made from them.
quarnix_fuzz(fuzz_xfile SOURCES FuzzXFile.cpp LINKS quarnix_xfile
             SEEDS ${PROJECT_SOURCE_DIR}/../shared/x-samples ${CMAKE_CURRENT_SOURCE_DIR}/xfile-seeds
             SECONDS 10)
