#include "CliPlatform.h"

#include <algorithm>

namespace tinctara::cli {

std::string escaped(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line.push_back(c);
    }
    return line;
}

void CliView::print(const char* kind, std::string_view text)
{
    if (printing)
        out_ << kind << escaped(text) << '\n';
}

void CliView::setSequencerField(int index, std::string_view text)
{
    if (index >= 0 && index < static_cast<int>(fields_.size()))
        fields_[index] = text;
}

std::string CliView::sequencerFieldText(int index) const
{
    return index >= 0 && index < static_cast<int>(fields_.size()) ? fields_[index] : std::string();
}

MessageAnswer CliUser::messageBox(const std::string& text, const std::string&, MessageButtons buttons, MessageIcon)
{
    out_ << "message: " << escaped(text) << '\n';
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        if (text.find("Importieren") != std::string::npos)
            return import_ ? MessageAnswer::Yes : MessageAnswer::No;
        return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Ignore;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    }
    return MessageAnswer::Ok;
}

}  // namespace tinctara::cli
