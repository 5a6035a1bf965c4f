// The options window's tab "Fernbedienung" in the real program, offscreen.
#include "../app/ProgramFixture.h"
#include "OptionsWindow.h"
#include "ProgramRemote.h"
#include "RemoteOptionsTab.h"

#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTcpServer>

using namespace tinctara;

class RemoteOptionsTabTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

private slots:
    void theTabTurnsTheRemoteOnAndShowsItsAddress()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const int port = probe.serverPort();
        probe.close();
        fixture_.settings.write("TINCTARA", "Remote", "Port", std::to_string(port));

        program->mainWindow().openWindow(WindowKind::Options);
        auto* window = program->mainWindow().findChild<OptionsWindow*>(QStringLiteral("frmOptions"));
        QVERIFY(window);
        auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("tbsOptions"));
        const int remote = tabs->indexOf(window->findChild<QWidget*>(QStringLiteral("fraRemote")));
        QCOMPARE(tabs->tabText(remote), QStringLiteral("Fernbedienung"));
        tabs->setCurrentIndex(remote);
        auto* on = window->findChild<QCheckBox*>(QStringLiteral("chkRemote"));
        auto* url = window->findChild<QLabel*>(QStringLiteral("lblUrl"));
        auto* qr = window->findChild<QLabel*>(QStringLiteral("picQrCode"));
        QVERIFY(on && url && qr);
        QVERIFY(!on->isChecked());

        on->click();
        RemoteControl& server = program->remote().server();
        QVERIFY(server.running());
        const std::string code = server.current().code;
        QCOMPARE(url->text(),
                 QStringLiteral("http://127.0.0.1:%1/?code=%2").arg(port).arg(QString::fromStdString(code)));
        QVERIFY(!qr->pixmap().isNull());
        QCOMPARE(fixture_.settings.read("TINCTARA", "Remote", "Enabled", ""), std::string("1"));

        window->findChild<QPushButton*>(QStringLiteral("cmdNewCode"))->click();
        QVERIFY(server.running());
        QVERIFY(server.current().code != code);
        QVERIFY(url->text().endsWith(QString::fromStdString(server.current().code)));

        on->click();
        QVERIFY(!server.running());
        QVERIFY(url->isHidden());
    }

    // At the size the options window opens with, the code stands whole in
    // its label, at full module size: with the remote on from the start, and
    // turned on on the tab.
    void theQrCodeStandsWholeAtTheWindowsFirstSize()
    {
        for (const bool onAtStart : {true, false}) {
            fixture_.reset();
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            const int port = probe.serverPort();
            probe.close();
            fixture_.settings.write("TINCTARA", "Remote", "Port", std::to_string(port));
            fixture_.settings.write("TINCTARA", "Remote", "Enabled", onAtStart ? "1" : "0");
            auto program = fixture_.start();
            QVERIFY(program);

            program->mainWindow().openWindow(WindowKind::Options);
            auto* window = program->mainWindow().findChild<OptionsWindow*>(QStringLiteral("frmOptions"));
            QVERIFY(window);
            auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("tbsOptions"));
            tabs->setCurrentWidget(window->findChild<QWidget*>(QStringLiteral("fraRemote")));
            if (!onAtStart)
                window->findChild<QCheckBox*>(QStringLiteral("chkRemote"))->click();
            QVERIFY(program->remote().server().running());
            QApplication::processEvents();

            auto* url = window->findChild<QLabel*>(QStringLiteral("lblUrl"));
            auto* qr = window->findChild<QLabel*>(QStringLiteral("picQrCode"));
            const QPixmap code = qr->pixmap();
            QVERIFY(!code.isNull());
            QCOMPARE(code.size(), remoteQrCode(url->text()).size());
            const QRect drawn =
                QStyle::alignedRect(qr->layoutDirection(), qr->alignment(), code.size(), qr->contentsRect());
            const QRegion hidden = QRegion(drawn).subtracted(qr->visibleRegion());
            QVERIFY2(hidden.isEmpty(), qPrintable(QStringLiteral("remote on at start: %1, %2 of %3x%4 hidden")
                                                      .arg(onAtStart)
                                                      .arg(hidden.boundingRect().height())
                                                      .arg(drawn.width())
                                                      .arg(drawn.height())));
        }
    }

    void theQrCodeHasItsQuietZoneAndDarkModules()
    {
        const QImage image = remoteQrCode(QStringLiteral("http://127.0.0.1:8080/?code=abcdefghijkmnopqrstuvw"), 4);
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), image.height());
        QCOMPARE((image.width() / 4 - 8 - 21) % 4, 0);  // 21 + 4k modules and the quiet zone
        QCOMPARE(image.pixel(8, 8), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(16, 16), qRgb(0, 0, 0));  // the corner of the top-left finder
    }
};

QTEST_MAIN(RemoteOptionsTabTest)
#include "RemoteOptionsTabTest.moc"
