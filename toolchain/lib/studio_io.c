/* Terminal I/O of the toolchain (-lstudio): stdout and stderr write to the first USART and
   stdin reads from it, so printf and scanf reach a simulator's or a board's terminal. The
   program sets the baud rate itself; a simulator needs none. */
#include <avr/io.h>
#include <stdio.h>

#if defined(UDR0)
#define TAZU_UDR UDR0
#define TAZU_STATUS UCSR0A
#define TAZU_READY UDRE0
#define TAZU_RECEIVED RXC0
#define TAZU_CONTROL UCSR0B
#define TAZU_ENABLE (_BV(TXEN0) | _BV(RXEN0))
#elif defined(UDR)
#define TAZU_UDR UDR
#if defined(UCSRA)
#define TAZU_STATUS UCSRA
#define TAZU_CONTROL UCSRB
#else
#define TAZU_STATUS USR
#define TAZU_CONTROL UCR
#endif
#define TAZU_READY UDRE
#define TAZU_RECEIVED RXC
#define TAZU_ENABLE (_BV(TXEN) | _BV(RXEN))
#endif

#if defined(TAZU_UDR)
static int tazu_put(char c, FILE* stream) {
    (void)stream;
    loop_until_bit_is_set(TAZU_STATUS, TAZU_READY);
    TAZU_UDR = c;
    return 0;
}

static int tazu_get(FILE* stream) {
    (void)stream;
    loop_until_bit_is_set(TAZU_STATUS, TAZU_RECEIVED);
    return TAZU_UDR;
}

static FILE tazu_terminal = FDEV_SETUP_STREAM(tazu_put, tazu_get, _FDEV_SETUP_RW);

void __tazu_studio_init(void) __attribute__((naked, used, section(".init8")));

void __tazu_studio_init(void) {
    TAZU_CONTROL |= TAZU_ENABLE;
    stdin = stdout = stderr = &tazu_terminal;
}
#else
#warning "this device has no USART; terminal I/O is not available"
#endif
