// The options window's tab "Steuerung": in the real program, and over fake
// OSC and MIDI services, offscreen.
#include "ControlOptionsTab.h"
#include "OptionsWindow.h"
#include "ProgramControl.h"
#include "ProgramFixture.h"
#include "ProgramRemote.h"
#include "QtText.h"
#include "RemoteOptionsTab.h"
#include "support/ControlFakes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

using namespace tinctara;
using testing::child;
using testing::FakeMidiControl;

namespace {

// Picks `text` from the list with the keyboard, as a user does.
bool choose(QComboBox* combo, const QString& text)
{
    const int target = combo->findText(text);
    if (target < 0 || combo->count() < 2)
        return false;
    combo->setFocus();
    combo->setCurrentIndex(target == 0 ? 1 : target - 1);
    QTest::keyClick(combo, target == 0 ? Qt::Key_Up : Qt::Key_Down);
    return combo->currentIndex() == target;
}

QStringList row(QTableWidget* table, int index)
{
    return {table->item(index, 0)->text(), table->item(index, 1)->text()};
}

}  // namespace

class ControlOptionsTabTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    // The options window of the program with the tab over the fakes in place
    // of its own, on that tab.
    static OptionsWindow* optionsWindowWithFakes(Program& program, testing::FakeSettingsStore& store,
                                                 testing::FakeOscControl& osc, FakeMidiControl& midi)
    {
        auto* window = new OptionsWindow(program.model(), program.user(), program.presenter());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->addPage(new RemoteOptionsTab(program.settings(), program.remote().server()),
                        qt(RemoteOptionsText::Tab));
        auto* tab = new ControlOptionsTab(store, &osc, &midi);
        window->addPage(tab, qt(ControlOptionsText::Tab));
        auto* tabs = child<QTabWidget>(window, "tbsOptions");
        tabs->setCurrentWidget(tab);
        return window;
    }

private slots:
    // After "Fernbedienung", with each group enabled only where the build
    // has its service.
    void theProgramsOptionsWindowHasTheTab()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        program->mainWindow().openWindow(WindowKind::Options);
        auto* window = program->mainWindow().findChild<OptionsWindow*>(QStringLiteral("frmOptions"));
        QVERIFY(window);
        auto* tabs = child<QTabWidget>(window, "tbsOptions");
        const int remote = tabs->indexOf(child<QWidget>(window, "fraRemote"));
        QVERIFY(remote >= 0);
        QCOMPARE(tabs->tabText(remote + 1), QStringLiteral("Steuerung"));
        auto* tab = qobject_cast<ControlOptionsTab*>(tabs->widget(remote + 1));
        QVERIFY(tab);
        tabs->setCurrentWidget(tab);

        const bool osc = program->control().osc() != nullptr;
        const bool midi = program->control().midi() != nullptr;
        QCOMPARE(child<QCheckBox>(tab, "chkOsc")->isEnabled(), osc);
        QCOMPARE(child<QLabel>(tab, "lblOscMissing")->isVisible(), !osc);
        QCOMPARE(child<QPushButton>(tab, "cmdLearn")->isEnabled(), midi);
        QCOMPARE(child<QLabel>(tab, "lblMidiMissing")->isVisible(), !midi);
        if (!midi)
            QCOMPARE(child<QLabel>(tab, "lblMidiMissing")->text(),
                     QStringLiteral("Dieses Programm wurde ohne MIDI gebaut."));
        // Opening it wrote nothing to the user's store.
        QCOMPARE(fixture_.settings.read("TINCTARA", "Osc", "Enabled", "<none>"), std::string("<none>"));
    }

    void oscFieldsStartTheServiceAndWarnOffLoopback()
    {
        testing::FakeSettingsStore store;
        testing::FakeOscControl osc;
        ControlOptionsTab tab(store, &osc, nullptr);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QVERIFY(!child<QPushButton>(&tab, "cmdLearn")->isEnabled());

        auto* on = child<QCheckBox>(&tab, "chkOsc");
        auto* port = child<QLineEdit>(&tab, "txtOscPort");
        auto* status = child<QLabel>(&tab, "lblOscStatus");
        auto* warning = child<QLabel>(&tab, "lblOscWarning");
        QVERIFY(on && port && status && warning);
        on->click();
        QCOMPARE(osc.starts.size(), std::size_t{1});
        QCOMPARE(osc.starts[0].port, 8000);
        QCOMPARE(status->text(), QStringLiteral("OSC empfängt auf 127.0.0.1:8000."));

        testing::ProgramFixture::typeInto(port, QStringLiteral("80"));
        QTest::keyClick(port, Qt::Key_Return);
        QCOMPARE(port->text(), QStringLiteral("8000"));
        QCOMPARE(status->text(), qt(RemoteOptionsText::BadPort));
        testing::ProgramFixture::typeInto(port, QStringLiteral("8123"));
        child<QLineEdit>(&tab, "txtFeedbackPort")->setFocus();  // leaving the field applies it
        QCOMPARE(osc.starts.back().port, 8123);

        QVERIFY(warning->isHidden());
        const int statusAt = status->y();
        QVERIFY(choose(child<QComboBox>(&tab, "cboOscAddress"), QStringLiteral("192.168.7.20")));
        QVERIFY(warning->isVisible());
        QApplication::processEvents();
        QCOMPARE(status->y(), statusAt);  // the warning has its room already
        QCOMPARE(osc.starts.back().address, std::string("192.168.7.20"));
        QCOMPARE(store.read("TINCTARA", "Osc", "Address", ""), std::string("192.168.7.20"));

        on->click();
        QCOMPARE(osc.stops, 1);
        QCOMPARE(status->text(), QStringLiteral("OSC ist aus."));
    }

    void theLearnTableLearnsAndRemoves()
    {
        testing::FakeSettingsStore store;
        FakeMidiControl midi;
        ControlOptionsTab tab(store, nullptr, &midi);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QVERIFY(!child<QCheckBox>(&tab, "chkOsc")->isEnabled());
        QCOMPARE(child<QLabel>(&tab, "lblOscMissing")->text(),
                 QStringLiteral("Dieses Programm wurde ohne OSC gebaut."));

        auto* learn = child<QPushButton>(&tab, "cmdLearn");
        auto* action = child<QComboBox>(&tab, "cboAction");
        auto* number = child<QLineEdit>(&tab, "txtActionNumber");
        auto* table = child<QTableWidget>(&tab, "grdBindings");
        auto* status = child<QLabel>(&tab, "lblMidiStatus");
        QVERIFY(learn && action && number && table && status);
        QVERIFY(choose(child<QComboBox>(&tab, "cboMidiPort"), QStringLiteral("Pad:0")));
        child<QCheckBox>(&tab, "chkMidi")->click();
        QVERIFY(midi.isRunning);
        QCOMPARE(midi.now.port, std::string("Pad:0"));

        QVERIFY(choose(action, QStringLiteral("Regler Rot")));
        QVERIFY(!number->isEnabled());
        learn->click();
        QVERIFY(learn->isChecked());
        QCOMPARE(status->text(), QStringLiteral("Taste, Pad oder Regler am Controller bewegen …"));
        QVERIFY(midi.play(FakeMidiControl::note(1, 60)));
        QVERIFY(!learn->isChecked());
        QCOMPARE(table->rowCount(), 0);
        learn->click();
        QVERIFY(midi.play(FakeMidiControl::control(1, 7)));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(row(table, 0), (QStringList{"Regler Rot", "Regler 7, Kanal 1"}));

        // Pressed again, "Lernen" stops waiting; the number goes with it.
        QVERIFY(choose(action, QStringLiteral("Element N")));
        QVERIFY(number->isEnabled());
        testing::ProgramFixture::typeInto(number, QStringLiteral("3"));
        learn->click();
        learn->click();
        QVERIFY(!learn->isChecked());
        QCOMPARE(midi.listener, nullptr);
        learn->click();
        QVERIFY(midi.play(FakeMidiControl::program(2, 5)));
        QCOMPARE(row(table, 1), (QStringList{"Element 3", "Programm 5, Kanal 2"}));

        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(0, 1)).center());
        child<QPushButton>(&tab, "cmdRemove")->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(row(table, 0), (QStringList{"Element 3", "Programm 5, Kanal 2"}));
        QCOMPARE(store.read("TINCTARA", "Midi", "Bindings", ""), std::string("tap,3,pc,2,5"));
        QCOMPARE(midi.now.bindings, parseBindings("tap,3,pc,2,5"));
    }

    // With TINCTARA_SCREENSHOT_DIR set (under a real display), the whole
    // options window on "Steuerung" with learned entries, for the docs.
    void screenshotOfTheTabWithLearnedEntries()
    {
        const QByteArray folder = qgetenv("TINCTARA_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("TINCTARA_SCREENSHOT_DIR not set");
        auto program = fixture_.start();
        QVERIFY(program);
        testing::FakeSettingsStore store;
        testing::FakeOscControl osc;
        osc.counted.received = 42;
        osc.counted.carriedOut = 40;
        osc.counted.dropped[0] = 2;
        FakeMidiControl midi;
        auto* window = optionsWindowWithFakes(*program, store, osc, midi);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        child<QCheckBox>(window, "chkOsc")->click();
        QVERIFY(choose(child<QComboBox>(window, "cboOscAddress"), QStringLiteral("192.168.7.20")));  // the warning
        choose(child<QComboBox>(window, "cboMidiPort"), QStringLiteral("Pad:0"));
        child<QCheckBox>(window, "chkMidi")->click();
        auto* action = child<QComboBox>(window, "cboAction");
        auto* learn = child<QPushButton>(window, "cmdLearn");
        const std::pair<const char*, MidiEvent> learned[] = {{"PLAY", FakeMidiControl::note(1, 36)},
                                                             {"STOP", FakeMidiControl::note(1, 37)},
                                                             {"Regler Rot", FakeMidiControl::control(1, 7)},
                                                             {"Speicher K", FakeMidiControl::program(2, 5)}};
        for (const auto& [name, event] : learned) {
            choose(action, QString::fromUtf8(name));
            learn->click();
            midi.play(event);
        }
        QTest::qWait(1200);  // the counters once
        const QString path = QString::fromLocal8Bit(folder) + QStringLiteral("/options-control.png");
        QVERIFY(window->grab().save(path));
        window->close();
    }
};

QTEST_MAIN(ControlOptionsTabTest)
#include "ControlOptionsTabTest.moc"
