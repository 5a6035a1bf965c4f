#pragma once

#include "MainWindow.h"
#include "Program.h"
#include "files/SettingsFile.h"
#include "model/WallBuilder.h"
#include "support/MainWindowFakes.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <fstream>
#include <memory>

namespace tinctara::testing {

// A control of `parent` by its control name; says which one is missing.
template <typename T>
T* child(QWidget* parent, const char* name)
{
    auto* found = parent->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

// A program started over a temporary program folder with a complete settings
// file (so start-up asks nothing), with fake per-user settings and system.
class ProgramFixture {
public:
    ProgramFixture() { reset(); }

    // A fresh folder and empty per-user settings, for the next test.
    void reset()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        settings.values.clear();
    }

    // `files`: the settings file's [FILES] names (configuration, scene,
    // sequence, colour table).
    std::unique_ptr<Program> start(std::uint32_t savedOptions = StateFlag::AutoLoad | StateFlag::AutoChannelCount,
                                   bool show = true, const std::array<std::string, 4>& files = {})
    {
        auto written = std::make_unique<ShowModel>();
        written->ConfigFileName = files[0];
        written->SceneFileName = files[1];
        written->SequenceFileName = files[2];
        written->ColourTableFileName = files[3];
        std::ofstream(filePath("TINCTARA.ini"), std::ios::binary) << settingsFileBytes(*written, savedOptions);
        ProgramSetup setup;
        setup.programFolder = folder_->path().toStdString();
        setup.settings = &settings;
        setup.system = &system;
        setup.clock = clock;
        setup.remoteServer = remoteServer;
        setup.artNetTimecodePort = artNetTimecodePort;
        auto program = std::make_unique<Program>(setup);
        if (!program->start())
            return nullptr;
        if (show) {
            program->mainWindow().show();
            // Focus moves, and so the fields' checks on leaving, need an active window.
            QApplication::setActiveWindow(&program->mainWindow());
            if (!QTest::qWaitForWindowActive(&program->mainWindow()))
                return nullptr;
        }
        return program;
    }

    static void buildWall(Program& program, int columns, int rows, int centimetres = 600)
    {
        ShowModel& model = program.model();
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = centimetres;
        model.ElementHeight = centimetres;
        BuildWall(model, program.view(), program.user(), WallBuildKind::NewOrEdited);
    }

    static void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    std::string filePath(const char* name) const { return folder_->filePath(QString::fromUtf8(name)).toStdString(); }
    QString path() const { return folder_->path(); }

    FakeSettingsStore settings;
    FakeSystemInfo system;
    Clock* clock = nullptr;
    RemoteServerFactory remoteServer;  // null: the module beside the test program
    std::uint16_t artNetTimecodePort = 6454;

private:
    std::unique_ptr<QTemporaryDir> folder_;
};

}  // namespace tinctara::testing
