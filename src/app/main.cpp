#include "GermanTranslations.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "ProgramControl.h"
#include "ProgramRemote.h"
#include "remote/RemoteAccess.h"
#include "QtText.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void leaveOnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the event loop, so that the program is taken
// down as on a normal end: an open sACN stream then sends its stream-terminated
// packets instead of just falling silent.
void quitOnTerminationSignals(QObject* owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
        QApplication::exit(0);  // without asking the windows, as the signal would have ended it
    });
    struct sigaction action = {};
    action.sa_handler = leaveOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

// --help and --version answer on a terminal without a display, where the
// widget application could not even start.
bool onlyAsksForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Qt's own dialogs, not the desktop's, so that they speak German with the program.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    const std::unique_ptr<QCoreApplication> application = onlyAsksForText(argc, argv)
                                                              ? std::make_unique<QCoreApplication>(argc, argv)
                                                              : std::make_unique<QApplication>(argc, argv);
    QCoreApplication& app = *application;
    tinctara::loadGermanQtTranslations();  // without them Qt's texts stay English
    QCoreApplication::setApplicationName(QStringLiteral("TINCTARA"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINCTARA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tinctara: Lichtsteuerung für LED-Wände über DMX512"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Programmordner DIR statt des Ordners des Programms."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption hardware(QStringLiteral("hardware"),
                                      QStringLiteral("Port-Zugriff: virtual (Vorgabe) oder direct."),
                                      QStringLiteral("direct|virtual"));
    const QCommandLineOption remote(QStringLiteral("remote"),
                                    QStringLiteral("Fernbedienung im Browser auf Port PORT einschalten."),
                                    QStringLiteral("PORT"));
    const QCommandLineOption remoteAddress(QStringLiteral("remote-address"),
                                           QStringLiteral("Adresse der Fernbedienung (Vorgabe 127.0.0.1)."),
                                           QStringLiteral("ADDR"));
    const QCommandLineOption midi(
        QStringLiteral("midi"), QStringLiteral("MIDI-Steuerung über den ALSA-Sequencer für diesen Lauf einschalten."));
    const QCommandLineOption osc(QStringLiteral("osc"),
                                 QStringLiteral("OSC über UDP auf Port PORT empfangen (nicht gespeichert)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption oscAddress(QStringLiteral("osc-address"),
                                        QStringLiteral("Adresse, auf der OSC empfangen wird (Vorgabe 127.0.0.1)."),
                                        QStringLiteral("ADDR"));
    const QCommandLineOption input(
        QStringLiteral("input"),
        QStringLiteral("DMX-Eingang über sACN oder Art-Net für diesen Lauf (nicht gespeichert)."),
        QStringLiteral("sacn|artnet"));
    const QCommandLineOption inputUniverse(
        QStringLiteral("input-universe"),
        QStringLiteral("Universum des Eingangs (sACN 1–63999, Art-Net-Port-Adresse 0–32767)."), QStringLiteral("U"));
    parser.addOption(home);
    parser.addOption(hardware);
    parser.addOption(remote);
    parser.addOption(remoteAddress);
    parser.addOption(midi);
    parser.addOption(osc);
    parser.addOption(oscAddress);
    parser.addOption(input);
    parser.addOption(inputUniverse);
    // The historic imprint switches (-b, -c, -f, -l, -w, -n) are accepted and ignored.
    for (const char* imprint : {"b", "c", "f", "l", "w", "n"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(imprint)));
    parser.process(app);

    tinctara::ProgramSetup setup;
    const tinctara::ProgramFolderChoice folder = tinctara::resolveProgramFolder(parser.value(home));
    setup.programFolder = tinctara::utf8(folder.folder);
    if (!folder.notice.isEmpty())
        std::fprintf(stderr, "%s\n", tinctara::utf8(folder.notice).c_str());
    if (parser.isSet(hardware)) {
        const QString choice = parser.value(hardware);
        if (choice != QStringLiteral("direct") && choice != QStringLiteral("virtual")) {
            std::fprintf(stderr, "tinctara: --hardware takes direct or virtual\n");
            return 2;
        }
        setup.hardware = tinctara::utf8(choice);
    }
    tinctara::RemoteSettings remoteSettings;
    if (parser.isSet(remote)) {
        bool number = false;
        remoteSettings.port = parser.value(remote).toInt(&number);
        if (!number || remoteSettings.port < 1 || remoteSettings.port > 65535) {
            std::fprintf(stderr, "tinctara: --remote braucht einen Port zwischen 1 und 65535\n");
            return 2;
        }
        if (parser.isSet(remoteAddress))
            remoteSettings.address = tinctara::utf8(parser.value(remoteAddress));
        remoteSettings.code = tinctara::makeAccessCode();
    }
    int oscPort = 0;
    if (parser.isSet(osc)) {
        bool number = false;
        oscPort = parser.value(osc).toInt(&number);
        if (!number || oscPort < 1 || oscPort > 65535) {
            std::fprintf(stderr, "tinctara: --osc braucht einen Port zwischen 1 und 65535\n");
            return 2;
        }
    }
    std::optional<tinctara::InputSettings> inputSettings;
    if (parser.isSet(input) || parser.isSet(inputUniverse)) {
        const QString kind = parser.value(input);
        if (kind != QStringLiteral("sacn") && kind != QStringLiteral("artnet")) {
            std::fprintf(stderr, "tinctara: --input braucht sacn oder artnet\n");
            return 2;
        }
        inputSettings.emplace();
        inputSettings->kind = kind == QStringLiteral("sacn") ? tinctara::InputKind::Sacn : tinctara::InputKind::ArtNet;
        const bool artNet = inputSettings->kind == tinctara::InputKind::ArtNet;
        inputSettings->universe = artNet ? 0 : 1;
        if (parser.isSet(inputUniverse)) {
            bool number = false;
            inputSettings->universe = parser.value(inputUniverse).toInt(&number);
            if (!number || inputSettings->universe < (artNet ? 0 : 1) ||
                inputSettings->universe > (artNet ? 32767 : 63999)) {
                std::fprintf(stderr, "tinctara: --input-universe liegt bei sACN zwischen 1 und 63999, bei Art-Net "
                                     "zwischen 0 und 32767\n");
                return 2;
            }
        }
    }
    tinctara::Program program(setup);
    if (!folder.problem.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("TINCTARA"), folder.problem);
    if (inputSettings) {
        // Where to listen and how to merge stay as the user's settings say.
        const tinctara::InputSettings stored = tinctara::loadInputSettings(program.settings());
        inputSettings->listenAddress = stored.listenAddress;
        inputSettings->merge = stored.merge;
    }
    if (!program.start(inputSettings ? &*inputSettings : nullptr))
        return 1;
    program.mainWindow().show();
    if (parser.isSet(remote)) {
        // One line for scripts: the address a browser opens, as it stands.
        const std::string problem = program.remote().server().start(remoteSettings);
        if (problem.empty())
            std::printf("%s\n", tinctara::remoteUrl(remoteSettings).c_str());
        else
            std::fprintf(stderr, "%s Das Programm läuft ohne Fernbedienung weiter.\n", problem.c_str());
        std::fflush(stdout);
    }
    if (parser.isSet(midi))
        program.control().startMidiForThisRun();  // the settings keep what the options window says
    if (parser.isSet(osc)) {
        // Listens where the command line says; the feedback as the user's settings say.
        tinctara::OscSettings oscSettings = tinctara::loadOscSettings(program.settings());
        oscSettings.port = oscPort;
        oscSettings.address = parser.isSet(oscAddress) ? tinctara::utf8(parser.value(oscAddress)) : "127.0.0.1";
        const std::string problem = program.control().osc()->start(oscSettings);
        if (!problem.empty())
            std::fprintf(stderr, "%s Das Programm läuft ohne OSC weiter.\n", problem.c_str());
    }
    quitOnTerminationSignals(&app);
    return QApplication::exec();
}
