#pragma once

#include <QString>

namespace tinctara {

// The interface is German whatever the system's locale, so Qt's own texts
// (standard buttons, file dialogs, context menus of text fields) are loaded in
// German from Qt's translations folder, or from `folder` when one is given.
// Returns false, and changes nothing, when the translation file is missing.
// Call after QApplication exists.
bool loadGermanQtTranslations(const QString& folder = {});

}  // namespace tinctara
