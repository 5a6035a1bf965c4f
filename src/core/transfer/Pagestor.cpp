#include "transfer/Pagestor.h"

namespace tinctara {

LoadedPagestorLibrary::LoadedPagestorLibrary(std::vector<std::string> folders)
    : library_("libpagestor.so", std::move(folders))
{
}

void LoadedPagestorLibrary::resolve()
{
    resolved_ = true;
    write_ = reinterpret_cast<Two>(library_.symbol("vbWRAMC"));
    writeVerify_ = reinterpret_cast<Two>(library_.symbol("vbWDRAMC"));
    writeAddressed_ = reinterpret_cast<Five>(library_.symbol("vbWARAMC"));
    read_ = reinterpret_cast<One>(library_.symbol("vbRRAMC"));
}

bool LoadedPagestorLibrary::available()
{
    if (!resolved_)
        resolve();
    return write_ && writeVerify_ && writeAddressed_ && read_;
}

std::int16_t LoadedPagestorLibrary::vbWRAMC(std::int16_t port, std::int16_t value)
{
    return available() ? write_(port, value) : 0;
}

std::int16_t LoadedPagestorLibrary::vbWDRAMC(std::int16_t port, std::int16_t value)
{
    return available() ? writeVerify_(port, value) : 128;
}

std::int16_t LoadedPagestorLibrary::vbWARAMC(std::int16_t port, std::int16_t a, std::int16_t b, std::int16_t c,
                                             std::int16_t d)
{
    return available() ? writeAddressed_(port, a, b, c, d) : 0xFF;
}

std::int16_t LoadedPagestorLibrary::vbRRAMC(std::int16_t port) { return available() ? read_(port) : 0xFF; }

}  // namespace tinctara
