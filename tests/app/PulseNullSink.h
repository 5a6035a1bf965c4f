#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace tinctara::testing {

// A PulseAudio daemon of the test's own, in a fresh runtime folder, with a
// null sink whose monitor is remapped as an input: Qt lists no monitor of a
// sink as an input. Start it before anything of Qt Multimedia looks for a
// server, so the machine's own sound is left alone.
class PulseNullSink {
public:
    PulseNullSink(QString sink, QString source, QString description, int rate)
        : sink_(std::move(sink)), source_(std::move(source)), description_(std::move(description)), rate_(rate)
    {
    }
    ~PulseNullSink()
    {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            if (!daemon_.waitForFinished(5000))
                daemon_.kill();
        }
    }

    // Empty when the server answers, else why it does not.
    QString start()
    {
        for (const char* tool : {"pulseaudio", "pactl", "paplay"})
            if (QStandardPaths::findExecutable(QString::fromUtf8(tool)).isEmpty())
                return QStringLiteral("%1 is not installed").arg(QString::fromUtf8(tool));
        const QString runtime = folder_.filePath(QStringLiteral("run"));
        const QString home = folder_.filePath(QStringLiteral("home"));
        QDir().mkpath(runtime);
        QDir().mkpath(home);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        qputenv("HOME", home.toUtf8());
        qunsetenv("PULSE_SERVER");
        // As root it warns but runs; --system would share the machine's daemon.
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                       QStringLiteral("module-null-sink sink_name=%1 rate=%2").arg(sink_).arg(rate_),
                       QStringLiteral("-L"), QStringLiteral("module-remap-source %1 %2").arg(master(), remapped()),
                       QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix")});
        if (!daemon_.waitForStarted(5000))
            return QStringLiteral("pulseaudio does not start");
        for (int attempt = 0; attempt < 50 && !answers(); ++attempt)
            QTest::qWait(100);
        return answers() ? QString() : QStringLiteral("pulseaudio started but does not answer");
    }

    // The input goes away, and comes back.
    bool unloadInput() { return pactl({QStringLiteral("unload-module"), QStringLiteral("module-remap-source")}); }
    bool loadInput()
    {
        return pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"), master(), remapped()});
    }

    // paplay's arguments for a sound file into the sink.
    QStringList play(const QString& file) const { return {QStringLiteral("--device=%1").arg(sink_), file}; }

private:
    static bool pactl(const QStringList& arguments)
    {
        QProcess tool;
        tool.start(QStringLiteral("pactl"), arguments);
        return tool.waitForFinished(2000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }
    static bool answers() { return pactl({QStringLiteral("info")}); }
    QString master() const { return QStringLiteral("master=%1.monitor").arg(sink_); }
    QString remapped() const
    {
        return QStringLiteral("source_name=%1 source_properties=device.description=%2").arg(source_, description_);
    }

    QString sink_;
    QString source_;
    QString description_;
    int rate_;
    QTemporaryDir folder_;
    QProcess daemon_;
};

}  // namespace tinctara::testing
