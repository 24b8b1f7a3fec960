#include "uart.h"

#include <avr/io.h>

#ifndef F_CPU
#define F_CPU 8000000UL
#endif

void uart_init(uint32_t baud) {
    const uint16_t divisor = (uint16_t)(F_CPU / (16UL * baud) - 1);
    UBRRH = (uint8_t)(divisor >> 8);
    UBRRL = (uint8_t)divisor;
    UCSRB = (1 << RXEN) | (1 << TXEN);
    /* URSEL selects UCSRC, which shares its address with UBRRH. */
    UCSRC = (1 << URSEL) | (1 << UCSZ1) | (1 << UCSZ0);
}

void uart_putc(char c) {
    while (!(UCSRA & (1 << UDRE))) {
    }
    UDR = (uint8_t)c;
}

void uart_puts(const char* text) {
    while (*text != '\0') {
        uart_putc(*text++);
    }
}

int uart_getc(void) {
    if (!(UCSRA & (1 << RXC))) {
        return -1;
    }
    return UDR;
}
