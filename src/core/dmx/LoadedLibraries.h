#pragma once

#include "platform/DmxLibraries.h"

#include <string>
#include <vector>

namespace tinctara {

// A shared library opened by name on its first use: looked for in each of the
// folders in order, then where the system looks. A library that is not found
// stays absent for the rest of the run.
class LibraryByName {
public:
    LibraryByName(std::string fileName, std::vector<std::string> folders);
    ~LibraryByName();
    LibraryByName(const LibraryByName&) = delete;
    LibraryByName& operator=(const LibraryByName&) = delete;

    // The address of an exported function; null when the library or the
    // function is missing. The first call opens the library.
    void* symbol(const char* name);
    bool available();

private:
    void open();

    std::string fileName_;
    std::vector<std::string> folders_;
    void* handle_ = nullptr;
    bool tried_ = false;
};

// "libusbdmxvb.so" with its command call DasHardCommand. Without the library
// every command answers 0, which the open reads as "no interface".
class LoadedUsbDmxLibrary : public UsbDmxLibrary {
public:
    explicit LoadedUsbDmxLibrary(std::vector<std::string> folders);
    std::int32_t hardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer) override;
    LibraryByName& library() { return library_; }

private:
    using Command = std::int32_t (*)(std::int32_t, std::int32_t, std::uint8_t*);
    LibraryByName library_;
    Command command_ = nullptr;
    bool resolved_ = false;
};

// "libdmxcrd32.so" with DMXSEND and DMXSEND2. Without the library nothing is sent.
class LoadedDmxCardLibrary : public DmxCardLibrary {
public:
    explicit LoadedDmxCardLibrary(std::vector<std::string> folders);
    std::int32_t dmxSend(std::int32_t& handle, const std::uint32_t* frame) override;
    std::int32_t dmxSend2(std::int32_t& handle, const std::uint32_t* frame) override;
    LibraryByName& library() { return library_; }

private:
    using Send = std::int32_t (*)(std::int32_t*, const std::uint32_t*);
    void resolve();
    LibraryByName library_;
    Send send_ = nullptr;
    Send send2_ = nullptr;
    bool resolved_ = false;
};

// The folders the program looks in for the libraries it loads: the program
// folder, then the folder of the running executable.
std::vector<std::string> libraryFolders(const std::string& programFolder);
// The folder of the running executable; empty when it cannot be read.
std::string executableFolder();

}  // namespace tinctara
