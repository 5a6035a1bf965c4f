#include "FieldRoom.h"
#include "InterfaceDialog.h"
#include "MainWindow.h"
#include "Program.h"
#include "files/SettingsFile.h"
#include "support/MainWindowFakes.h"
#include "tinctara_portio.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string_view>

using namespace tinctara;

class InterfaceDialogTest : public QObject {
    Q_OBJECT

private:
    // A program folder as a new user has it: the shipped files, no hardware.ini.
    std::unique_ptr<Program> startProgram(QTemporaryDir& folder)
    {
        const auto shipped = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* name : {"TINCT_D.MSG", "FWISA12A.BIN", "FWISA16B.BIN", "FWISA17C.BIN", "7301b.jpg",
                                 "7301c.jpg", "usbdmx1.jpg", "usblnk2.jpg"})
            std::filesystem::copy_file(shipped / name, std::filesystem::path(folder.path().toStdString()) / name);
        auto written = std::make_unique<ShowModel>();
        std::ofstream(folder.filePath("TINCTARA.ini").toStdString(), std::ios::binary)
            << settingsFileBytes(*written, StateFlag::AutoLoad);
        ProgramSetup setup;
        setup.programFolder = folder.path().toStdString();
        setup.settings = &settings_;
        setup.system = &system_;
        setup.clock = &clock_;
        auto program = std::make_unique<Program>(setup);
        if (!program->start())
            return nullptr;
        return program;
    }

    // Runs `inspect` on the dialog once the init command has shown it.
    void whenDialogShows(std::function<void(InterfaceDialog&)> inspect)
    {
        QTimer::singleShot(0, this, [this, inspect] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<InterfaceDialog*>(widget); dialog && dialog->isVisible()) {
                    inspect(*dialog);
                    return;
                }
            whenDialogShows(inspect);
        });
    }

    static QString label(InterfaceDialog& dialog, int n)
    {
        return dialog.findChild<QLabel*>(QStringLiteral("Label%1").arg(n))->text();
    }

    testing::FakeSettingsStore settings_;
    testing::FakeSystemInfo system_;
    // The wait after a card start ends at once: the second moves on at every second reading.
    struct SteppingClock : Clock {
        std::int64_t timeOfDaySeconds() override { return readings++ / 2; }
        std::int64_t monotonicMilliseconds() override { return 0; }
        std::int64_t readings = 0;
    } clock_;

private slots:
    void init() { settings_.values.clear(); }

    void newUserChoosesTheCardTheSearchFound()
    {
        QTemporaryDir folder;
        auto program = startProgram(folder);
        QVERIFY(program);
        QStringList seen;
        bool pictureShown = false;
        QString titleAfterOk;
        whenDialogShows([&](InterfaceDialog& dialog) {
            auto* tabs = dialog.findChild<QTabBar*>(QStringLiteral("tabs_ifselect"));
            for (int i = 0; i < 4; ++i) {
                seen << tabs->tabText(tabs->currentIndex()) + ": " + label(dialog, 1) + " / " + label(dialog, 3);
                QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
            }
            // Back on the first tab after the last.
            QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
            pictureShown = !dialog.findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap().isNull();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
            titleAfterOk = program->mainWindow().windowTitle();
        });
        program->mainWindow().action(QStringLiteral("mnuDMXInit"))->trigger();

        QCOMPARE(seen, (QStringList{
                           QStringLiteral("7301B: ISA-Karte 7301B / Dieses Interface ist verfügbar."),
                           QStringLiteral("7301C: ISA-Karte 7301C / Dieses Interface wurde nicht gefunden."),
                           QStringLiteral("USB: USB-Interface USBDMX1 / Dieses Interface ist verfügbar."),
                           QStringLiteral("sACN: sACN (ANSI E1.31) / Wird mit OK und diesen Einstellungen geöffnet."),
                       }));
        QVERIFY(pictureShown);
        QCOMPARE(settings_.values["TINCTARA/Interface/Type"], std::string("1"));
        QCOMPARE(program->model().InterfaceType, Interface::IsaCard7301AB);
        QCOMPARE(titleAfterOk, QStringLiteral(": TINCTARA: KELVARTECH 7301B card found at address120h"));
        QVERIFY(program->mainWindow().action(QStringLiteral("mnuDMXStart"))->isVisible());
        QVERIFY(program->outputTimer().isEnabled());

        // The init command ends with a tick: the card is live.
        QCOMPARE(program->mainWindow().windowTitle(),
                 QStringLiteral(": QOR DMX TINCTARA  ....running. DMX started. Interface = "));
        QCOMPARE(VirtualIsaCardRunning(0x120), 1);
        QVERIFY(program->mainWindow().action(QStringLiteral("mnuDMXStart"))->isChecked());
    }

    // The sACN tab's fields reach the settings store beside "Type"; OK opens
    // the stream to the loopback address typed.
    void networkTabStoresAndOpensItsSettings()
    {
        QTemporaryDir folder;
        auto program = startProgram(folder);
        QVERIFY(program);
        bool fieldsShownOnDeviceTab = true;
        bool priorityShownForArtNet = true;
        whenDialogShows([&](InterfaceDialog& dialog) {
            auto* tabs = dialog.findChild<QTabBar*>(QStringLiteral("tabs_ifselect"));
            auto* fields = dialog.findChild<QWidget*>(QStringLiteral("fraNetwork"));
            fieldsShownOnDeviceTab = fields->isVisible();
            tabs->setCurrentIndex(4);
            priorityShownForArtNet = dialog.findChild<QWidget*>(QStringLiteral("txtNetwork_2"))->isVisible();
            tabs->setCurrentIndex(3);
            QVERIFY(fields->isVisible());
            auto* destination = dialog.findChild<QLineEdit*>(QStringLiteral("txtNetwork_0"));
            auto* universe = dialog.findChild<QLineEdit*>(QStringLiteral("txtNetwork_1"));
            QTest::keyClicks(destination, QStringLiteral("127.0.0.1"));
            universe->selectAll();
            QTest::keyClicks(universe, QStringLiteral("42"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        program->mainWindow().action(QStringLiteral("mnuDMXInit"))->trigger();

        QVERIFY(!fieldsShownOnDeviceTab);
        QVERIFY(!priorityShownForArtNet);
        QCOMPARE(settings_.values["TINCTARA/Interface/Type"], std::string("6"));
        QCOMPARE(settings_.values["TINCTARA/Interface/SacnDestination"], std::string("127.0.0.1"));
        QCOMPARE(settings_.values["TINCTARA/Interface/SacnUniverse"], std::string("42"));
        QCOMPARE(settings_.values["TINCTARA/Interface/SacnCid"].size(), std::size_t{36});
        QCOMPARE(program->networkOutput().openType(), Interface::SacnNetwork);
        QCOMPARE(program->interfaces().statusText(Interface::SacnNetwork),
                 std::string("TINCTARA: sACN (E1.31) Universe 42 -> 127.0.0.1 opened"));
    }

    // At the size the dialog opens with, each network field shows the longest
    // text it takes whole, at its full height, on both network tabs, and no
    // text lies over the fields; the dialog keeps its width from tab to tab.
    void networkFieldsShowTheirLongestTextsWhole()
    {
        QTemporaryDir folder;
        auto program = startProgram(folder);
        QVERIFY(program);
        struct Row {
            int tab;
            const char* field;
            QStringList texts;
        };
        const QString address = QStringLiteral("255.255.255.255");
        const QString placeholder = QStringLiteral("z. B. 192.168.1.20");
        const QStringList sourceNames{QStringLiteral("Tinctara Bühne links"), QStringLiteral("TINCTARA BÜHNE LINKS")};
        const Row rows[] = {
            {3, "txtNetwork_0", {address, placeholder}},  {3, "txtNetwork_1", {QStringLiteral("63999")}},
            {3, "txtNetwork_2", {QStringLiteral("200")}}, {3, "txtNetwork_3", sourceNames},
            {4, "txtNetwork_0", {address, placeholder}},  {4, "txtNetwork_1", {QStringLiteral("32767")}},
        };
        QStringList cut;
        QSize opened;
        QList<QSize> onNetworkTabs;
        whenDialogShows([&](InterfaceDialog& dialog) {
            opened = dialog.size();
            auto* tabs = dialog.findChild<QTabBar*>(QStringLiteral("tabs_ifselect"));
            for (const Row& row : rows) {
                tabs->setCurrentIndex(row.tab);
                QApplication::processEvents();  // the layout follows on posted events
                onNetworkTabs << dialog.size();
                auto* field = dialog.findChild<QLineEdit*>(QString::fromLatin1(row.field));
                const QString where = tabs->tabText(row.tab) + " " + row.field;
                if (!field->isVisible() || field->height() < field->sizeHint().height())
                    cut << where + QStringLiteral(" height %1").arg(field->height());
                for (const QString& text : row.texts)
                    if (!testing::showsWhole(*field, text))
                        cut << where + ": " + text;
                if (row.field != std::string_view("txtNetwork_0"))
                    continue;
                const auto shown = dialog.findChild<QWidget*>(QStringLiteral("frame_ifselect"))
                                       ->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
                for (const QWidget* one : shown)
                    for (const QWidget* other : shown)
                        if (one < other && one->isVisible() && other->isVisible() &&
                            one->geometry().intersects(other->geometry()))
                            cut << where + ": " + one->objectName() + " over " + other->objectName();
            }
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        });
        program->mainWindow().action(QStringLiteral("mnuDMXInit"))->trigger();

        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        for (const QSize& size : onNetworkTabs)
            QCOMPARE(size.width(), opened.width());
    }

    void cancelKeepsTheStoredChoice()
    {
        QTemporaryDir folder;
        auto program = startProgram(folder);
        QVERIFY(program);
        whenDialogShows([](InterfaceDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("   DMX512 Interfaces"));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        });
        program->mainWindow().action(QStringLiteral("mnuDMXInit"))->trigger();
        QVERIFY(settings_.values.empty());
        QCOMPARE(program->model().InterfaceType, Interface::NoInterface);
    }
};

QTEST_MAIN(InterfaceDialogTest)
#include "InterfaceDialogTest.moc"
