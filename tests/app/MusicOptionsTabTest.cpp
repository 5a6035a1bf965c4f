// The options window's tab "Musik": in the real program, and over a fake
// capture, offscreen.
#include "ControlOptionsTab.h"
#include "MusicOptionsTab.h"
#include "OptionsWindow.h"
#include "ProgramFixture.h"
#include "ProgramMusic.h"
#include "support/MusicFakes.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>

using namespace tinctara;
using testing::child;

class MusicOptionsTabTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    static void type(QSpinBox* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

private slots:
    void theProgramsOptionsWindowHasTheTabAfterSteuerung()
    {
        fixture_.reset();
        fixture_.settings.write("TINCTARA", "Music", "Level", "1");
        fixture_.settings.write("TINCTARA", "Music", "Depth", "30");
        auto program = fixture_.start();
        QVERIFY(program);
        // The stored Pegel is in the tick from the start, before any window opens.
        QVERIFY(program->engine().music().settings().level);
        QCOMPARE(program->engine().music().settings().depth, 30);

        program->mainWindow().openWindow(WindowKind::Options);
        auto* window = program->mainWindow().findChild<OptionsWindow*>(QStringLiteral("frmOptions"));
        QVERIFY(window);
        auto* tabs = child<QTabWidget>(window, "tbsOptions");
        const int control = tabs->indexOf(child<QWidget>(window, "fraSteuerung"));
        QVERIFY(control >= 0);
        QCOMPARE(tabs->tabText(control + 1), QStringLiteral("Musik"));
        auto* tab = qobject_cast<MusicOptionsTab*>(tabs->widget(control + 1));
        QVERIFY(tab);
        tabs->setCurrentWidget(tab);

        auto* device = child<QComboBox>(tab, "cboDevice");
        QCOMPARE(device->itemText(0), QStringLiteral("Kein Gerät"));
        QCOMPARE(device->currentIndex(), 0);
        QCOMPARE(child<QLabel>(tab, "lblStatus")->text(), QStringLiteral("Kein Gerät gewählt."));
        QCOMPARE(child<QLabel>(tab, "lblTempo")->text(), QStringLiteral("Tempo: –"));
        QVERIFY(child<QCheckBox>(tab, "chkLevel")->isChecked());
        QCOMPARE(child<QSpinBox>(tab, "spnDepth")->value(), 30);
        QCOMPARE(child<QSpinBox>(tab, "spnRelease")->value(), 10);
        QVERIFY(!program->music().live());
        // Opening it wrote nothing to the user's store.
        QCOMPARE(fixture_.settings.read("TINCTARA", "Music", "Device", "<none>"), std::string("<none>"));
    }

    void aStoredDeviceThatIsNotThereLeavesTheProgramWithoutLiveAudio()
    {
        fixture_.reset();
        fixture_.settings.write("TINCTARA", "Music", "Device", "no.such.input");
        auto program = fixture_.start();
        QVERIFY(program);
        QCOMPARE(program->music().status().state, CaptureStatus::State::Gone);
        QVERIFY(!program->music().live());
        program->mainWindow().openWindow(WindowKind::Options);
        auto* tab = program->mainWindow().findChild<MusicOptionsTab*>(QStringLiteral("fraMusik"));
        QVERIFY(tab);
        QCOMPARE(child<QLabel>(tab, "lblStatus")->text(), QStringLiteral("Das Gerät no.such.input ist nicht mehr da."));
    }

    void theFieldsReachTheCaptureAndTheTick()
    {
        testing::FakeSettingsStore store;
        MusicSync music;
        MusicSettings beat;
        beat.beat = true;
        beat.beatsPerStep = 4;
        music.setSettings(beat);
        testing::FakeMusicCapture capture;
        MusicOptionsTab tab(store, music, capture, [&capture] { return capture.present; });
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));

        auto* device = child<QComboBox>(&tab, "cboDevice");
        QCOMPARE(device->count(), 3);
        QCOMPARE(device->itemText(2), QStringLiteral("Monitor of Null"));
        device->setFocus();
        QTest::keyClick(device, Qt::Key_Down);
        QCOMPARE(capture.starts, std::vector<std::string>{"alsa_input.usb"});
        QCOMPARE(child<QLabel>(&tab, "lblStatus")->text(), QStringLiteral("Hört auf USB-Mikrofon (48000 Hz)."));
        QCOMPARE(store.read("TINCTARA", "Music", "Device", ""), std::string("alsa_input.usb"));

        capture.tempo = 128.2;
        capture.loudness = 0.5;
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&tab, "lblTempo")->text(), QStringLiteral("Tempo: 128,2 BPM"), 1000);
        QCOMPARE(child<QProgressBar>(&tab, "barLevel")->value(), 50);

        child<QCheckBox>(&tab, "chkLevel")->click();
        type(child<QSpinBox>(&tab, "spnDepth"), QStringLiteral("45"));
        type(child<QSpinBox>(&tab, "spnAttack"), QStringLiteral("150"));
        QVERIFY(music.settings().level);
        QCOMPARE(music.settings().depth, 45);
        QCOMPARE(music.settings().attackTicks, 150);  // one change, not "1", "15", "150"
        QVERIFY(music.settings().beat);
        QCOMPARE(music.settings().beatsPerStep, 4);
        QCOMPARE(store.read("TINCTARA", "Music", "Attack", ""), std::string("150"));

        // The unlabelled controls are read by their labels' text.
        const std::pair<const char*, QString> spoken[] = {{"cboDevice", QStringLiteral("Eingang :")},
                                                          {"spnDepth", QStringLiteral("Tiefe (%) :")},
                                                          {"spnAttack", QStringLiteral("Anstieg (Ticks) :")},
                                                          {"spnRelease", QStringLiteral("Abfall (Ticks) :")},
                                                          {"barLevel", QStringLiteral("Eingangspegel :")}};
        for (const auto& [name, text] : spoken)
            QCOMPARE(child<QWidget>(&tab, name)->accessibleName(), text);

        // Gone from the system while heard: the list is asked anew, whether
        // or not the system tells.
        capture.present.erase(capture.present.begin());
        QTRY_COMPARE_WITH_TIMEOUT(device->count(), 2, 2000);
        QCOMPARE(child<QLabel>(&tab, "lblStatus")->text(), QStringLiteral("Das Gerät USB-Mikrofon ist nicht mehr da."));
    }
};

QTEST_MAIN(MusicOptionsTabTest)
#include "MusicOptionsTabTest.moc"
