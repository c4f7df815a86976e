// quarnix-soundgen OUTDIR: synthesises the game's sound effects and music into
// OUTDIR/Wave. The output depends on nothing but this program, so two runs
// give the same bytes.

#include <cstdio>
#include <exception>

#include "SoundSet.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quarnix-soundgen OUTDIR\n  writes OUTDIR/Wave/*.WAV\n");
    return 2;
  }
  try {
    quarnix::soundgen::WriteSoundSet(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quarnix-soundgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
