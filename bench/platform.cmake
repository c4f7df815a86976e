# A play-screen-sized frame on the OpenGL device (run with SDL_VIDEODRIVER=offscreen when headless).
quarnix_bench(bench_platform_frame SOURCES PlatformFrameBench.cpp LINKS quarnix_platform)
