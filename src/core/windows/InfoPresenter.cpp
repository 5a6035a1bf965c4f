#include "windows/InfoPresenter.h"

namespace tinctara {

std::string infoText(const std::string& versionText)
{
    return "DMX TINCTARA " + versionText +
           "\r"
           "Lichtsteuerung für Wände aus RGBW-Leuchten\r"
           "DMX512 über ISA-Karten, USB und Netzwerk\r"
           "Für Linux neu geschrieben von den Tinctara-Entwicklern";
}

}  // namespace tinctara
