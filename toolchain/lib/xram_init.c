/* Start-up helper of the toolchain: switches the external SRAM interface on before the
   C start-up copies initial values into RAM. Linked when the start-up file named on the
   command line is one of the external-RAM ones (crtatmegaram.o, crtnewram.o, crtavrram.o).
   TAZU_XRAM_WAIT is 1 when the memory needs a wait state. */
#include <avr/io.h>

void __tazu_xram_init(void) __attribute__((naked, used, section(".init1")));

void __tazu_xram_init(void) {
#if defined(__AVR_ATmega640__) || defined(__AVR_ATmega1280__) || defined(__AVR_ATmega1281__) ||  \
    defined(__AVR_ATmega2560__) || defined(__AVR_ATmega2561__) || defined(__AVR_AT90CAN32__) ||  \
    defined(__AVR_AT90CAN64__) || defined(__AVR_AT90CAN128__) || defined(__AVR_AT90USB646__) ||  \
    defined(__AVR_AT90USB647__) || defined(__AVR_AT90USB1286__) || defined(__AVR_AT90USB1287__)
    /* The enable bit and the wait states live in XMCRA on these devices. */
    XMCRA = _BV(SRE) | (TAZU_XRAM_WAIT ? _BV(SRW10) : 0);
#elif defined(MCUCR) && defined(SRE) && defined(SRW10)
    MCUCR |= _BV(SRE) | (TAZU_XRAM_WAIT ? _BV(SRW10) : 0);
#elif defined(MCUCR) && defined(SRE) && defined(SRW)
    MCUCR |= _BV(SRE) | (TAZU_XRAM_WAIT ? _BV(SRW) : 0);
#elif defined(MCUCR) && defined(SRE)
    MCUCR |= _BV(SRE);
#else
#warning "this device has no external memory interface; the external SRAM stays off"
#endif
}
