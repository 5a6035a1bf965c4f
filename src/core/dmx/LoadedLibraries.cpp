#include "dmx/LoadedLibraries.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace tinctara {

LibraryByName::LibraryByName(std::string fileName, std::vector<std::string> folders)
    : fileName_(std::move(fileName)), folders_(std::move(folders))
{
}

LibraryByName::~LibraryByName()
{
    if (handle_)
        dlclose(handle_);
}

void LibraryByName::open()
{
    tried_ = true;
    std::error_code error;
    for (const std::string& folder : folders_) {
        const std::string path = folder + "/" + fileName_;
        if (!std::filesystem::exists(path, error))
            continue;
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_)
            return;
    }
    handle_ = dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LibraryByName::symbol(const char* name)
{
    if (!tried_)
        open();
    return handle_ ? dlsym(handle_, name) : nullptr;
}

bool LibraryByName::available()
{
    if (!tried_)
        open();
    return handle_ != nullptr;
}

LoadedUsbDmxLibrary::LoadedUsbDmxLibrary(std::vector<std::string> folders)
    : library_("libusbdmxvb.so", std::move(folders))
{
}

std::int32_t LoadedUsbDmxLibrary::hardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer)
{
    if (!resolved_) {
        resolved_ = true;
        command_ = reinterpret_cast<Command>(library_.symbol("DasHardCommand"));
    }
    return command_ ? command_(command, parameter, buffer) : 0;
}

LoadedDmxCardLibrary::LoadedDmxCardLibrary(std::vector<std::string> folders)
    : library_("libdmxcrd32.so", std::move(folders))
{
}

void LoadedDmxCardLibrary::resolve()
{
    resolved_ = true;
    send_ = reinterpret_cast<Send>(library_.symbol("DMXSEND"));
    send2_ = reinterpret_cast<Send>(library_.symbol("DMXSEND2"));
}

std::int32_t LoadedDmxCardLibrary::dmxSend(std::int32_t& handle, const std::uint32_t* frame)
{
    if (!resolved_)
        resolve();
    return send_ ? send_(&handle, frame) : 0;
}

std::int32_t LoadedDmxCardLibrary::dmxSend2(std::int32_t& handle, const std::uint32_t* frame)
{
    if (!resolved_)
        resolve();
    return send2_ ? send2_(&handle, frame) : 0;
}

std::string executableFolder()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

std::vector<std::string> libraryFolders(const std::string& programFolder)
{
    std::vector<std::string> folders{programFolder};
    if (const std::string executable = executableFolder(); !executable.empty() && executable != programFolder)
        folders.push_back(executable);
    return folders;
}

}  // namespace tinctara
