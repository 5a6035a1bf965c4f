/* Byte-wide I/O port access for Tinctara and the libraries it loads.
 *
 * One instance per process: the program and every library that reads or
 * writes ports through this one see the same bus. The backend is either the
 * machine's own ports ("direct": ioperm, inb, outb; needs the raw-I/O
 * privilege) or the virtual bus with the emulated devices that hardware.ini
 * names. Plain C, so that any caller can use it. */
#ifndef TINCTARA_PORTIO_H
#define TINCTARA_PORTIO_H

#ifdef __cplusplus
extern "C" {
#endif

#define PORTIO_VIRTUAL 0
#define PORTIO_DIRECT 1

/* Reads <programFolder>/hardware.ini and sets up the backend; backend is
 * "virtual", "direct", or NULL/"" for the file's choice (virtual when the
 * file names none). A bus set up before is replaced: the virtual devices
 * start afresh. Returns the backend in use. Without a call, the first port
 * access configures from the library's own folder. */
int PortIoConfigure(const char* programFolder, const char* backend);
/* The virtual bus with the devices of the given hardware.ini text; its
 * memory card starts all zero and keeps nothing after the run. */
int PortIoConfigureVirtual(const char* hardwareIni);
int PortIoBackend(void);

/* What went wrong while setting up (no privilege for direct access, lines of
 * hardware.ini that were passed over); copies at most size - 1 bytes and a
 * terminating zero into text. Returns the length of the whole text, 0 when
 * all is well. */
int PortIoProblem(char* text, int size);

unsigned char PortIoRead(unsigned int port);
void PortIoWrite(unsigned int port, unsigned char value);

/* A value of hardware.ini (section and key without regard to case), for the
 * emulated devices of other libraries. Returns the length, -1 when absent. */
int PortIoSetting(const char* section, const char* key, char* value, int size);

/* Read-back of the emulated ISA DMX cards of the virtual bus, by base port.
 * Each returns -1 when no emulated card sits at base. */
int VirtualIsaCardMemory(unsigned int base, unsigned int address, unsigned char* out, unsigned int length);
/* The DMX frame the card transmits now: start code, then the channel levels.
 * Returns the number of slots written (at most size), 0 while it is halted. */
int VirtualIsaCardFrame(unsigned int base, unsigned char* out, unsigned int size);
/* 0 halted, 1 running. */
int VirtualIsaCardRunning(unsigned int base);

/* Read-back of the emulated memory card at port 0x200: its size in bytes
 * (-1 when the bus has none), and its memory from address on; returns the
 * number of bytes copied, -1 without a card. */
int VirtualMemoryCardSize(void);
int VirtualMemoryCardMemory(unsigned int address, unsigned char* out, unsigned int length);

#ifdef __cplusplus
}
#endif

#endif
