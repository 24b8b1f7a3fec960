CC = tazuavr
CFLAGS =  -e -D__TAZU_VERSION="7.13"  -l -g 
ASFLAGS = $(CFLAGS)  -Wa-g 
LFLAGS =  -g -e:0x400 -bfunc_lit:0x4.0x400 -dram_end:0x9f -bdata:0x60.0x9f -dhwstk_size:16 -beeprom:0.128 -fihx_coff -S2 
FILES = main.o uart.o 

demo:	$(FILES)
	$(CC) -o demo $(LFLAGS) @demo.lk 
main.o: 
main.o:	C:\work\demo\main.c
	$(CC) -c $(CFLAGS) C:\work\demo\main.c
uart.o: 
uart.o:	C:\work\demo\src\uart.c
	$(CC) -c $(CFLAGS) C:\work\demo\src\uart.c

.PHONY: clean
clean:
	del /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst *.hex
