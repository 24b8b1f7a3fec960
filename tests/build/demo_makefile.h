#pragma once

namespace avrtazu::test {

// The Makefile the plug-in writes for the demo project in C:\work\demo\ (two sources, ATMega16);
// the generator must produce it byte for byte, and the toolchain must build from it.
inline constexpr const char* kDemoMakefile =
    "CC = tazuavr\n"
    "CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMEGA -DATMega16  -l -g -Mavr_enhanced \n"
    "ASFLAGS = $(CFLAGS)  -Wa-g \n"
    "LFLAGS =  -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f "
    "-bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"
    "FILES = main.o uart.o \n"
    "\n"
    "demo:\t$(FILES)\n"
    "\t$(CC) -o demo $(LFLAGS) @demo.lk -lcatmega \n"
    "main.o: \n"
    "main.o:\tC:\\work\\demo\\main.c\n"
    "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\main.c\n"
    "uart.o: \n"
    "uart.o:\tC:\\work\\demo\\uart.c\n"
    "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\uart.c\n"
    "\n"
    ".PHONY: clean\n"
    "clean:\n"
    "\tdel /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst *.hex\n";

} // namespace avrtazu::test
