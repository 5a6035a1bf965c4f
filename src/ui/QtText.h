#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

// The program's strings are UTF-8; these are the one way into Qt's strings and
// back. A null text is an empty one.
inline QString qt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline QString qt(const char* text) { return QString::fromUtf8(text); }
inline std::string utf8(const QString& text) { return text.toStdString(); }
inline QStringList qt(const std::vector<std::string>& texts)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const auto& text : texts)
        list.append(qt(text));
    return list;
}

}  // namespace tinctara
