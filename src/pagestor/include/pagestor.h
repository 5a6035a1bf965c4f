/* libpagestor: the single port accesses of the memory card interface.
 *
 * Port numbers and results are 16-bit; of a value only the low byte reaches
 * the port. The library keeps no state and does nothing beyond the port
 * instructions, which go through libtinctaraio (direct ports or the virtual
 * bus), so that it reaches the same devices as the program that loads it. */
#ifndef PAGESTOR_H
#define PAGESTOR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Writes value to port. Returns 0. */
int16_t vbWRAMC(int16_t port, int16_t value);
/* Writes value to port and reads the port back: 0 when it holds the byte
 * written, 128 otherwise. */
int16_t vbWDRAMC(int16_t port, int16_t value);
/* Writes a to port + 3, b to port + 2, c to port + 1, d to port + 0, then
 * reads port + 0: the byte read, 0..255. */
int16_t vbWARAMC(int16_t port, int16_t a, int16_t b, int16_t c, int16_t d);
/* Reads port: the byte read, 0..255. */
int16_t vbRRAMC(int16_t port);

#ifdef __cplusplus
}
#endif

#endif
