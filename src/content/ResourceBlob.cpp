// Places the generated resource pack into the read-only data of the executable.
// QUARNIX_RESOURCE_PACK is the pack's path, set by the build.

#ifndef QUARNIX_RESOURCE_PACK
#error "QUARNIX_RESOURCE_PACK must name the resource pack file"
#endif

__asm__(
    ".pushsection .rodata,\"a\"\n"
    ".balign 16\n"
    ".globl quarnix_resource_pack_begin\n"
    "quarnix_resource_pack_begin:\n"
    ".incbin \"" QUARNIX_RESOURCE_PACK
    "\"\n"
    ".globl quarnix_resource_pack_end\n"
    "quarnix_resource_pack_end:\n"
    ".byte 0\n"
    ".popsection\n");
