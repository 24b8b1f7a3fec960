/* avrtazu-sim: runs AVR firmware in simavr and writes every byte the device sends on its first
   serial port (UART0) to standard output as it is sent; everything else goes to standard
   error. It runs until the firmware ends or the process is stopped.

   avrtazu-sim MCU FREQUENCY FIRMWARE [GDBPORT]

   Exit status: 0 the firmware ended, 1 it crashed, 2 bad usage, 3 simavr does not know the MCU,
   4 the firmware cannot be read. */

#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_gdb.h>
#include <sim_irq.h>
#include <sim_io.h>
#include <avr_uart.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { EXIT_ENDED = 0, EXIT_CRASHED = 1, EXIT_USAGE = 2, EXIT_UNKNOWN_MCU = 3, EXIT_FIRMWARE = 4 };

static int uartOutput = -1;

static void uartByte(struct avr_irq_t* irq, uint32_t value, void* context) {
    (void)irq;
    (void)context;
    const unsigned char byte = (unsigned char)value;
    /* Unbuffered: the reader shows each byte as the device sends it. */
    while (write(uartOutput, &byte, 1) < 0) {
    }
}

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        fprintf(stderr, "usage: avrtazu-sim MCU FREQUENCY FIRMWARE [GDBPORT]\n");
        return EXIT_USAGE;
    }
    /* simavr itself talks on standard output; only the serial port's bytes may go there. */
    uartOutput = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);

    char mcu[64];
    snprintf(mcu, sizeof mcu, "%s", argv[1]);
    for (char* c = mcu; *c != '\0'; ++c) {
        *c = (char)tolower((unsigned char)*c);
    }
    avr_t* avr = avr_make_mcu_by_name(mcu);
    if (avr == NULL) {
        fprintf(stderr, "simavr does not know the device %s\n", mcu);
        return EXIT_UNKNOWN_MCU;
    }
    elf_firmware_t firmware;
    memset(&firmware, 0, sizeof firmware);
    if (elf_read_firmware(argv[3], &firmware) != 0) {
        fprintf(stderr, "cannot read the firmware %s\n", argv[3]);
        return EXIT_FIRMWARE;
    }
    snprintf(firmware.mmcu, sizeof firmware.mmcu, "%s", mcu);
    firmware.frequency = (uint32_t)strtoul(argv[2], NULL, 10);
    avr_init(avr);
    avr_load_firmware(avr, &firmware);

    /* The bytes come here instead of simavr's own line-wise console print. */
    uint32_t flags = 0;
    avr_ioctl(avr, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    flags &= ~(uint32_t)AVR_UART_FLAG_STDIO;
    avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_t* output = avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT);
    if (output == NULL) {
        fprintf(stderr, "the device %s has no serial port UART0\n", mcu);
    } else {
        avr_irq_register_notify(output, uartByte, NULL);
    }

    if (argc == 5) {
        avr->gdb_port = atoi(argv[4]);
        avr->state = cpu_Stopped;
        avr_gdb_init(avr);
        fprintf(stderr, "waiting for gdb on port %d\n", avr->gdb_port);
    }
    for (;;) {
        const int state = avr_run(avr);
        if (state == cpu_Done || state == cpu_Crashed) {
            avr_terminate(avr);
            return state == cpu_Done ? EXIT_ENDED : EXIT_CRASHED;
        }
    }
}
