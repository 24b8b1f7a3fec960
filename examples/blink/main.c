/* Blinks a LED on PB0 of an ATmega16 and reports each change on the serial port. A 'p'
   received on the serial port pauses the blinking, any other byte resumes it. */
#ifndef F_CPU
#define F_CPU 8000000UL
#endif

#include "uart.h"

#include <avr/io.h>
#include <stdint.h>
#include <util/delay.h>

#define LED_BIT PB0

int main(void) {
    uint8_t paused = 0;

    DDRB |= (1 << LED_BIT);
    uart_init(9600);
    uart_puts("blink ready\r\n");

    for (;;) {
        const int received = uart_getc();
        if (received >= 0) {
            paused = (received == 'p');
        }
        if (!paused) {
            PORTB ^= (1 << LED_BIT);
            uart_puts((PORTB & (1 << LED_BIT)) ? "on\r\n" : "off\r\n");
        }
        _delay_ms(500);
    }
}
