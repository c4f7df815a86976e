# The wave layout reader the streamed music goes through.
quarnix_fuzz(fuzz_wave SOURCES FuzzWave.cpp LINKS quarnix_content SECONDS 10)
