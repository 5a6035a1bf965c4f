#include "MainWindow.h"
#include "Program.h"
#include "ProgramFolder.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TINCTARA"));
    QApplication::setApplicationVersion(QStringLiteral("1.21"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tinctara: Lichtsteuerung für LED-Wände über DMX512"));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("Programmordner DIR statt des Ordners des Programms."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption hardware(QStringLiteral("hardware"),
                                      QStringLiteral("Port-Zugriff: virtual (Vorgabe) oder direct."),
                                      QStringLiteral("direct|virtual"));
    parser.addOption(home);
    parser.addOption(hardware);
    // The historic imprint switches (-b, -c, -f, -l, -w, -n) are accepted and ignored.
    for (const char* imprint : {"b", "c", "f", "l", "w", "n"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(imprint)));
    parser.process(app);

    tinctara::ProgramSetup setup;
    setup.programFolder = tinctara::resolveProgramFolder(parser.value(home)).toStdString();
    if (parser.isSet(hardware)) {
        const QString choice = parser.value(hardware);
        if (choice != QStringLiteral("direct") && choice != QStringLiteral("virtual")) {
            std::fprintf(stderr, "tinctara: --hardware takes direct or virtual\n");
            return 2;
        }
        setup.hardware = choice.toStdString();
    }
    tinctara::Program program(setup);
    if (!program.start())
        return 1;
    program.mainWindow().show();
    return QApplication::exec();
}
