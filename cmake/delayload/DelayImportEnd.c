/* The zeroed descriptor that ends the delay-import table. dlltool puts each
   DLL's descriptor into .text$2, and the linker sorts .text$ sections by
   name, so this one (.text$2z) lands right after the last of them. Tools
   read the table up to this terminator; the loader itself never looks at it
   (each call site hands its own descriptor to __delayLoadHelper2). */
__attribute__((section(".text$2z"), used, aligned(4)))
const unsigned char KelvoraDelayImportEnd[32] = {0};
