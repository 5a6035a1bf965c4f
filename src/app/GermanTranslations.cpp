#include "GermanTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tinctara {

bool loadGermanQtTranslations(const QString& folder)
{
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (!qtTexts->load(QStringLiteral("qtbase_de"), from)) {
        delete qtTexts;
        return false;
    }
    QCoreApplication::installTranslator(qtTexts);
    return true;
}

}  // namespace tinctara
