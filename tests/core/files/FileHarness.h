#pragma once

#include "files/ShowFiles.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace tinctara::testing {

// The checked-in show files written by hand in the exact layout of each format.
inline std::filesystem::path fixture(const std::string& name)
{
    return std::filesystem::path(TINCTARA_TEST_DATA_DIR) / name;
}

inline std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A show initialised as at start-up, a program folder of its own in a fresh
// temporary folder, and the recording fakes.
struct FileHarness {
private:
    std::unique_ptr<ShowModel> modelStorage = std::make_unique<ShowModel>();

public:
    FileHarness()
    {
        initialiseAtStartUp(model);
        model.OsName = "Linux";
        std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-files-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        context.programFolder = (root / "program").string();
        std::filesystem::create_directories(context.programFolder);
    }
    ~FileHarness()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    FileHarness(const FileHarness&) = delete;
    FileHarness& operator=(const FileHarness&) = delete;

    void buildWall(int columns, int rows)
    {
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        BuildWall(model, view, user, WallBuildKind::FromConfiguration);
    }

    void setElement(int element, int r, int g, int b, int w)
    {
        const int levels[] = {r, g, b, w};
        for (int plane = Red; plane <= White; ++plane)
            model.colour(plane, element) = static_cast<std::uint8_t>(levels[plane - 1]);
    }

    std::array<int, 4> element(int number) const
    {
        return {model.colour(Red, number), model.colour(Green, number), model.colour(Blue, number),
                model.colour(White, number)};
    }
    std::array<int, 4> step(int step, int number) const
    {
        return {model.stepColour(step, number, Red), model.stepColour(step, number, Green),
                model.stepColour(step, number, Blue), model.stepColour(step, number, White)};
    }

    // A file in the temporary folder with the given bytes.
    std::string file(const std::string& name, const std::string& bytes)
    {
        const auto path = root / name;
        writeBytes(path, bytes);
        return path.string();
    }
    std::string path(const std::string& name) const { return (root / name).string(); }
    std::string copyFixture(const std::string& name) { return file(name, readBytes(fixture(name))); }

    // Loads and saves silently, as start-up and the unsaved-changes prompt do.
    template <typename Command>
    auto silently(std::string& currentName, const std::string& path, Command command)
    {
        currentName = path;
        model.setState(StateFlag::SilentFileOp);
        auto outcome = command(context);
        model.clearState(StateFlag::SilentFileOp);
        return outcome;
    }
    LoadOutcome loadConfiguration(const std::string& p) { return silently(model.ConfigFileName, p, LoadConfiguration); }
    LoadOutcome loadScene(const std::string& p) { return silently(model.SceneFileName, p, LoadScene); }
    LoadOutcome loadSequence(const std::string& p) { return silently(model.SequenceFileName, p, LoadSequence); }
    LoadOutcome loadColourTable(const std::string& p)
    {
        return silently(model.ColourTableFileName, p, LoadColourTable);
    }
    SaveOutcome saveConfiguration(const std::string& p) { return silently(model.ConfigFileName, p, SaveConfiguration); }
    SaveOutcome saveScene(const std::string& p) { return silently(model.SceneFileName, p, SaveScene); }
    SaveOutcome saveSequence(const std::string& p) { return silently(model.SequenceFileName, p, SaveSequence); }
    SaveOutcome saveColourTable(const std::string& p)
    {
        return silently(model.ColourTableFileName, p, SaveColourTable);
    }

    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : user.messages)
            texts.push_back(message.text);
        return texts;
    }

    std::filesystem::path root;
    ShowModel& model = *modelStorage;
    RecordingView view;
    ScriptedUser user;
    FakeTimer timer;
    ShowFileContext context{model, view, user, timer, {}};
};

}  // namespace tinctara::testing
