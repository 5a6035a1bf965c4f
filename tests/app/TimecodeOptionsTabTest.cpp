// The options window's tab "Timecode": in the real program, and over a fake
// timecode control, offscreen.
#include "OptionsWindow.h"
#include "ProgramFixture.h"
#include "ProgramTimecode.h"
#include "TimecodeOptionsTab.h"
#include "support/TimecodeFakes.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

using namespace tinctara;
using testing::child;

class TimecodeOptionsTabTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    static void type(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    // The control the focus is in; a spin box's own field counts as the box.
    static QString focused()
    {
        QWidget* widget = QApplication::focusWidget();
        if (widget && qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            widget = widget->parentWidget();
        return widget ? widget->objectName() : QString();
    }

private slots:
    void theProgramsOptionsWindowHasTheTabAfterMusik()
    {
        fixture_.reset();
        fixture_.settings.write("TINCTARA", "Timecode", "Source", "1");
        fixture_.settings.write("TINCTARA", "Timecode", "Offset", "00:59:00:00");
        auto program = fixture_.start();
        QVERIFY(program);
        // The stored settings are in effect from the start.
        QCOMPARE(program->timecode().settings().source, TimecodeSource::ArtNet);

        program->mainWindow().openWindow(WindowKind::Options);
        auto* window = program->mainWindow().findChild<OptionsWindow*>(QStringLiteral("frmOptions"));
        QVERIFY(window);
        auto* tabs = child<QTabWidget>(window, "tbsOptions");
        const int music = tabs->indexOf(child<QWidget>(window, "fraMusik"));
        QVERIFY(music >= 0);
        QCOMPARE(tabs->tabText(music + 1), QStringLiteral("Timecode"));
        auto* tab = qobject_cast<TimecodeOptionsTab*>(tabs->widget(music + 1));
        QVERIFY(tab);
        tabs->setCurrentWidget(tab);

        QCOMPARE(child<QComboBox>(tab, "cboSource")->currentText(), QStringLiteral("Art-Net"));
        QCOMPARE(child<QLineEdit>(tab, "txtOffset")->text(), QStringLiteral("00:59:00:00"));
        QCOMPARE(child<QLabel>(tab, "lblTime")->text(), QStringLiteral("--:--:--:--"));
        QCOMPARE(child<QLabel>(tab, "lblStatus")->text(), QStringLiteral("Wartet auf Timecode."));

        child<QCheckBox>(tab, "chkSendMtc")->click();
        QVERIFY(program->timecode().settings().sendMtc);
        QCOMPARE(fixture_.settings.read("TINCTARA", "Timecode", "SendMtc", ""), std::string("1"));
    }

    void theControlsReachTheControlAndAreReadByName()
    {
        testing::FakeSettingsStore store;
        testing::FakeTimecodeControl control;
        const std::vector<AudioInputDevice> inputs{{"alsa_input.usb", "USB-Mikrofon"}};
        TimecodeOptionsTab tab(store, control, [&inputs] { return inputs; });
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));

        auto* source = child<QComboBox>(&tab, "cboSource");
        auto* device = child<QComboBox>(&tab, "cboLtcDevice");
        QCOMPARE(source->count(), 4);
        QCOMPARE(source->itemText(3), QStringLiteral("LTC (Audioeingang)"));
        QCOMPARE(child<QComboBox>(&tab, "cboRate")->itemText(2), QStringLiteral("29,97 DF"));
        QCOMPARE(device->itemText(1), QStringLiteral("USB-Mikrofon"));
        QVERIFY(!device->isEnabled());
        QCOMPARE(child<QLineEdit>(&tab, "txtTarget")->placeholderText(), QStringLiteral("Broadcast"));

        const std::pair<const char*, QString> spoken[] = {{"cboSource", QStringLiteral("Quelle")},
                                                          {"cboLtcDevice", QStringLiteral("LTC-Eingang")},
                                                          {"cboRate", QStringLiteral("Bildrate")},
                                                          {"txtOffset", QStringLiteral("Startversatz")},
                                                          {"spnFreewheel", QStringLiteral("Freilauf (Bilder)")},
                                                          {"txtTarget", QStringLiteral("Ziel")}};
        for (const auto& [name, text] : spoken) {
            QCOMPARE(child<QWidget>(&tab, name)->accessibleName(), text);
            // Alt and the label's letter would not find a field without its buddy.
            bool labelled = false;
            for (QLabel* label : tab.findChildren<QLabel*>())
                labelled = labelled || (label->buddy() == child<QWidget>(&tab, name) && label->text() == text);
            QVERIFY2(labelled, name);
        }

        // Tab walks down the form, past the input while there is no LTC.
        source->setFocus(Qt::TabFocusReason);
        QStringList chain;
        for (int step = 0; step < 8; ++step) {
            chain << focused();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(chain, (QStringList{"cboSource", "cboRate", "txtOffset", "spnFreewheel", "optMode_0", "chkSendArtNet",
                                     "txtTarget", "chkSendMtc"}));

        source->setFocus();
        QTest::keyClick(source, Qt::Key_End);
        QCOMPARE(control.applied.back().source, TimecodeSource::Ltc);
        QVERIFY(device->isEnabled());

        type(child<QLineEdit>(&tab, "txtOffset"), QStringLiteral("00:00:10:00"));
        QCOMPARE(control.applied.back().offset, (Timecode{0, 0, 10, 0}));
        QCOMPARE(store.read("TINCTARA", "Timecode", "Offset", ""), std::string("00:00:10:00"));

        const std::size_t applied = control.applied.size();
        type(child<QLineEdit>(&tab, "txtTarget"), QStringLiteral("10.0.0"));
        QCOMPARE(child<QLabel>(&tab, "lblStatus")->text(),
                 QStringLiteral("Das Ziel muss eine IPv4-Adresse sein oder leer bleiben."));
        QCOMPARE(child<QLineEdit>(&tab, "txtTarget")->text(), QString());
        QCOMPARE(control.applied.size(), applied);

        child<QRadioButton>(&tab, "optMode_1")->click();
        QCOMPARE(control.applied.back().mode, TimecodeMode::StartAt);
        auto* freewheel = child<QSpinBox>(&tab, "spnFreewheel");
        type(freewheel, QStringLiteral("125"));
        QCOMPARE(control.applied.back().freewheelFrames, 125);  // one change, not "1", "12", "125"
        QCOMPARE(control.applied.size(), applied + 2);

        control.now.state = ChaseState::Chasing;
        control.now.time = Timecode{1, 0, 12, 5};
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(&tab, "lblTime")->text(), QStringLiteral("01:00:12:05"), 1000);
        QCOMPARE(child<QLabel>(&tab, "lblStatus")->text(), QStringLiteral("Läuft mit."));
    }
};

QTEST_MAIN(TimecodeOptionsTabTest)
#include "TimecodeOptionsTabTest.moc"
