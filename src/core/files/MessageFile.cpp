#include "files/MessageFile.h"

#include "files/SafeFile.h"
#include "text/Text.h"
#include "text/Windows1252.h"


namespace tinctara {

void parseMessageFile(std::string_view bytes, MessageTable& table)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const double number = roundHalfEven(numericValue(line.substr(0, equals)));
        if (!(number >= 0 && number < MessageNumbers))
            continue;
        table[static_cast<std::size_t>(number)] = windows1252ToUtf8(line.substr(equals + 1));
    }
}

void GetMsgFile(MessageTable& table, const std::string& programFolder, std::string name)
{
    if (name.empty())
        name = DefaultMessageFile;
    if (const auto bytes = readWholeFile(programFolder + "/" + name))
        parseMessageFile(*bytes, table);
}

}  // namespace tinctara
