# The screen-image decoder, the bitmap reader and the resource-pack reader.
quarnix_fuzz(fuzz_rb SOURCES FuzzRb.cpp LINKS quarnix_content SECONDS 8)
