#pragma once

#include <string>

namespace tinctara {

// The info window frmInfo: program name, version and credits.
namespace InfoWindowText {
inline constexpr const char* Caption = "Info";
inline constexpr const char* Firma = "Tinctara-Projekt  ·  Lichtsteuerung für LED-Wände";
inline constexpr const char* OkCaption = "&OK";
inline constexpr int AutoUnloadSeconds = 5;
}  // namespace InfoWindowText

// lblInfo(1): "DMX TINCTARA <version>" and the credit lines, separated by
// carriage returns.
std::string infoText(const std::string& versionText);

}  // namespace tinctara
