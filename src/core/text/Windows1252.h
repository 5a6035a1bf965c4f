#pragma once

#include <string>
#include <string_view>

namespace tinctara {

// Every file the program reads or writes is Windows-1252; inside the program
// texts are UTF-8. These two convert at the file boundary.
std::string windows1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold become "?"; malformed UTF-8 bytes too.
std::string utf8ToWindows1252(std::string_view text);

}  // namespace tinctara
