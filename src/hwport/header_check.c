/* Compiled as C99 so that the public header stays usable from C. */
#include "hwport32.h"

typedef char hwport32_fifo_header_is_8_bytes[sizeof(HwPort32FifoHeader) == 8 ? 1 : -1];
