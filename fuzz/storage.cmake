# The controls and scores readers, and the save that follows a read. Each is
# fuzzed twice: on raw bytes, and on the decoded characters coded again with a
# matching sum (QUARNIX_FUZZ_DECODED), so that mutations reach the decoding.
# The corpora in seeds/ are kept minimised (libFuzzer -merge=1).
foreach(file Controls Scores)
  string(TOLOWER ${file} name)
  quarnix_fuzz(fuzz_${name}_reader SOURCES Fuzz${file}Reader.cpp LINKS quarnix_storage
               SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/${name} SECONDS 8)
  quarnix_fuzz(fuzz_${name}_decoded SOURCES Fuzz${file}Reader.cpp LINKS quarnix_storage
               SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/seeds/${name} SECONDS 12)
  if(TARGET fuzz_${name}_decoded)
    target_compile_definitions(fuzz_${name}_decoded PRIVATE QUARNIX_FUZZ_DECODED)
  endif()
endforeach()
