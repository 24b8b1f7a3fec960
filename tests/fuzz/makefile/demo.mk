CC = tazuavr
CFLAGS =  -D__TAZU_VERSION="7.13" -DATMEGA -DATMega16  -l -g -Mavr_enhanced 
ASFLAGS = $(CFLAGS)  -Wa-g 
LFLAGS =  -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 
FILES = main.o uart.o 

demo:	$(FILES)
	$(CC) -o demo $(LFLAGS) @demo.lk -lcatmega 
main.o: 
main.o:	C:\work\demo\main.c
	$(CC) -c $(CFLAGS) C:\work\demo\main.c
uart.o: 
uart.o:	C:\work\demo\uart.c
	$(CC) -c $(CFLAGS) C:\work\demo\uart.c

.PHONY: clean
clean:
	del /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst *.hex
