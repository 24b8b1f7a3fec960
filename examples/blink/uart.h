#ifndef UART_H
#define UART_H

#include <stdint.h>

/* Polled serial port on the ATmega16's USART: 8 data bits, no parity, 1 stop bit. */
void uart_init(uint32_t baud);
void uart_putc(char c);
void uart_puts(const char* text);
/* The next received byte, or -1 when none is waiting. */
int uart_getc(void);

#endif
