/*
 * HWPORT32: port I/O, physical memory, interrupts, keyboard and parallel-port
 * access for ordinary user programs, through the hwport32d service.
 *
 * Every function takes the connection returned by OpenHWPORT32 as its first
 * argument. A null connection, or one whose open failed, is "not active": the
 * function sends nothing and returns the value listed for that case.
 *
 * Callbacks run on the library's own threads, never on the caller's.
 *
 * Linux has no export ordinals; the numbers below are the stable ordinals of
 * this interface and are kept here so that callers that bind by number can
 * translate them:
 *
 *   1 OpenHWPORT32          30 MapPhysToLinear      50 GetLPTNumber        80 GetLastPciBus
 *   2 CloseHWPORT32         31 UnmapMemory          51 SetLPTNumber        81 GetHardwareMechanism
 *   3 GetActiveHW           32 GetMem               52 GetLPTNumPorts      82 GetPciDeviceInfo
 *  10 GetHardAccess         33 SetMem               53 GetLPTBasePort      90 PutScanCode
 *  11 SetHardAccess         34 GetMemW              54 GetPin              91 HookKeyboard
 *  12 GetPortByte           35 SetMemW              55 SetPin              92 UnhookKeyboard
 *  13 SetPortByte           36 GetMemL              56 GetLPTAckwl         93 GetScanCode
 *  14 GetPortWord           37 SetMemL              57 GetLPTBusy          94 PulseKeyboard
 *  15 SetPortWord           38 GetLockedMemory      58 GetLPTPaperEnd      95 PulseKeyboardLocal
 *  16 GetPortLong           40 MaskIRQ              59 GetLPTSlct          96 HookDelphiKeyboard
 *  17 SetPortLong           41 UnmaskIRQ            60 GetLPTError
 *  18 ReadPortFIFO          42 GetIRQCounter        61 LPTInit
 *  19 ReadPortWFIFO         43 IsIRQMasked          62 LPTSlctIn
 *  20 ReadPortLFIFO         44 UnmaskDelphiIRQ      63 LPTStrobe
 *  21 WritePortFIFO                                 64 LPTAutofd
 *  22 WritePortWFIFO                                65 LPTPrintChar
 *  23 WritePortLFIFO                                66 ForceIrqLPT
 *  70 DebugCode             71 GetHDDInfo           67 SetLPTReadMode
 *                                                   68 SetLPTWriteMode
 *
 * Ordinals 4-9, 24-29, 39, 45-49, 69, 72-79 and 83-89 are not assigned.
 *
 * Arguments are 32-bit except where a value is an address in the caller's
 * address space (linear addresses, the connection, callback data): those are
 * pointer-sized, since 64-bit processes cannot squeeze them into 32 bits.
 */
#ifndef HWPORT32_H
#define HWPORT32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(HWPORT32_BUILDING)
#define HWPORT32_API __attribute__((visibility("default")))
#else
#define HWPORT32_API
#endif

/* A caller may supply its own zero-filled, 16-byte aligned record of this
 * size instead of letting OpenHWPORT32 allocate one. A record the library
 * allocated comes from malloc and may be released with free() once
 * CloseHWPORT32 has returned. */
#define HWPORT32_CONNECTION_SIZE 2048

typedef struct HwPort32Connection HwPort32Connection;

/* A FIFO block is a caller-owned buffer: port (uint32), element count
 * (uint32), then count elements of 1, 2 or 4 bytes. */
typedef struct HwPort32FifoHeader {
    uint32_t port;
    uint32_t count;
} HwPort32FifoHeader;

/* Filled by GetHDDInfo. Texts are zero-terminated. */
typedef struct HwPort32HddInfo {
    char model[41];
    char serial[21];
    char firmware[9];
    char reserved;
    uint32_t bufferType;
    uint32_t bufferSize; /* bytes */
    uint32_t cylinders;
    uint32_t heads;
    uint32_t sectorsPerTrack;
} HwPort32HddInfo;

typedef void (*HwPort32IrqCallback)(uint32_t line);
typedef void (*HwPort32IrqDataCallback)(void* data, uint32_t line);
typedef void (*HwPort32KeyCallback)(uint32_t scanCode);
typedef void (*HwPort32KeyDataCallback)(void* data, uint32_t scanCode);

/* Connection */
HWPORT32_API HwPort32Connection* OpenHWPORT32(HwPort32Connection* connection, const char* driverName,
                                              const char* deviceName);
HWPORT32_API uint32_t CloseHWPORT32(HwPort32Connection* connection);
HWPORT32_API uint32_t GetActiveHW(HwPort32Connection* connection);
HWPORT32_API uint32_t GetHardAccess(HwPort32Connection* connection);
HWPORT32_API void SetHardAccess(HwPort32Connection* connection, uint32_t value);
HWPORT32_API uint32_t DebugCode(HwPort32Connection* connection);

/* Ports */
HWPORT32_API uint8_t GetPortByte(HwPort32Connection* connection, uint32_t port);
HWPORT32_API void SetPortByte(HwPort32Connection* connection, uint32_t port, uint32_t value);
HWPORT32_API uint16_t GetPortWord(HwPort32Connection* connection, uint32_t port);
HWPORT32_API void SetPortWord(HwPort32Connection* connection, uint32_t port, uint32_t value);
HWPORT32_API uint32_t GetPortLong(HwPort32Connection* connection, uint32_t port);
HWPORT32_API void SetPortLong(HwPort32Connection* connection, uint32_t port, uint32_t value);
HWPORT32_API void ReadPortFIFO(HwPort32Connection* connection, void* block);
HWPORT32_API void ReadPortWFIFO(HwPort32Connection* connection, void* block);
HWPORT32_API void ReadPortLFIFO(HwPort32Connection* connection, void* block);
HWPORT32_API void WritePortFIFO(HwPort32Connection* connection, void* block);
HWPORT32_API void WritePortWFIFO(HwPort32Connection* connection, void* block);
HWPORT32_API void WritePortLFIFO(HwPort32Connection* connection, void* block);

/* Physical memory */
HWPORT32_API uintptr_t MapPhysToLinear(HwPort32Connection* connection, uint32_t physical, uint32_t length);
HWPORT32_API void UnmapMemory(HwPort32Connection* connection, uintptr_t linear);
HWPORT32_API uint8_t GetMem(HwPort32Connection* connection, uintptr_t base, uint32_t offset);
HWPORT32_API void SetMem(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value);
HWPORT32_API uint16_t GetMemW(HwPort32Connection* connection, uintptr_t base, uint32_t offset);
HWPORT32_API void SetMemW(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value);
HWPORT32_API uint32_t GetMemL(HwPort32Connection* connection, uintptr_t base, uint32_t offset);
HWPORT32_API void SetMemL(HwPort32Connection* connection, uintptr_t base, uint32_t offset, uint32_t value);
HWPORT32_API uintptr_t GetLockedMemory(HwPort32Connection* connection);

/* Interrupts */
HWPORT32_API void MaskIRQ(HwPort32Connection* connection, uint32_t line);
HWPORT32_API void UnmaskIRQ(HwPort32Connection* connection, uint32_t line, HwPort32IrqCallback callback);
HWPORT32_API void UnmaskDelphiIRQ(HwPort32Connection* connection, void* data, uint32_t line,
                                  HwPort32IrqDataCallback callback);
HWPORT32_API uint32_t GetIRQCounter(HwPort32Connection* connection, uint32_t line);
HWPORT32_API uint32_t IsIRQMasked(HwPort32Connection* connection, uint32_t line);

/* Keyboard */
HWPORT32_API void PutScanCode(HwPort32Connection* connection, uint32_t code);
HWPORT32_API void HookKeyboard(HwPort32Connection* connection, HwPort32KeyCallback callback);
HWPORT32_API void HookDelphiKeyboard(HwPort32Connection* connection, void* data, HwPort32KeyDataCallback callback);
HWPORT32_API void UnhookKeyboard(HwPort32Connection* connection);
HWPORT32_API uint32_t GetScanCode(HwPort32Connection* connection);
HWPORT32_API void PulseKeyboard(HwPort32Connection* connection);
HWPORT32_API void PulseKeyboardLocal(HwPort32Connection* connection);

/* Parallel port */
HWPORT32_API uint32_t GetLPTNumber(HwPort32Connection* connection);
HWPORT32_API void SetLPTNumber(HwPort32Connection* connection, uint32_t number);
HWPORT32_API uint32_t GetLPTNumPorts(HwPort32Connection* connection);
HWPORT32_API uint32_t GetLPTBasePort(HwPort32Connection* connection);
HWPORT32_API uint32_t GetPin(HwPort32Connection* connection, uint32_t pin);
HWPORT32_API void SetPin(HwPort32Connection* connection, uint32_t pin, uint32_t level);
HWPORT32_API uint32_t GetLPTAckwl(HwPort32Connection* connection);
HWPORT32_API uint32_t GetLPTBusy(HwPort32Connection* connection);
HWPORT32_API uint32_t GetLPTPaperEnd(HwPort32Connection* connection);
HWPORT32_API uint32_t GetLPTSlct(HwPort32Connection* connection);
HWPORT32_API uint32_t GetLPTError(HwPort32Connection* connection);
HWPORT32_API void LPTInit(HwPort32Connection* connection);
HWPORT32_API void LPTSlctIn(HwPort32Connection* connection);
HWPORT32_API void LPTStrobe(HwPort32Connection* connection);
HWPORT32_API void LPTAutofd(HwPort32Connection* connection, uint32_t flag);
HWPORT32_API uint32_t LPTPrintChar(HwPort32Connection* connection, uint32_t character);
HWPORT32_API void ForceIrqLPT(HwPort32Connection* connection, uint32_t flag);
HWPORT32_API void SetLPTReadMode(HwPort32Connection* connection);
HWPORT32_API void SetLPTWriteMode(HwPort32Connection* connection);

/* PCI and disks */
HWPORT32_API uint32_t GetLastPciBus(HwPort32Connection* connection);
HWPORT32_API uint32_t GetHardwareMechanism(HwPort32Connection* connection);
/* buffer receives 256 bytes of configuration space; returns 1 when all came back. */
HWPORT32_API uint32_t GetPciDeviceInfo(HwPort32Connection* connection, uint32_t bus, uint32_t device, uint32_t function,
                                       void* buffer);
/* Returns 1 when the drive answered; otherwise the record is zeroed and 0 returned. */
HWPORT32_API uint32_t GetHDDInfo(HwPort32Connection* connection, uint32_t drive, uint32_t flag,
                                 HwPort32HddInfo* record);

#ifdef __cplusplus
}
#endif

#endif
