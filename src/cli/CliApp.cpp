#include "CliApp.h"

#include "CliPlatform.h"
#include "EffectCommand.h"
#include "SharedPortBus.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/IsaCard.h"
#include "dmx/LoadedLibraries.h"
#include "dmx/NetworkOutput.h"
#include "files/SafeFile.h"
#include "files/ShowFiles.h"
#include "engine/OutputEngine.h"
#include "model/SequencePlayback.h"
#include "model/ShowModel.h"
#include "net/UdpSocket.h"
#include "platform/SystemClock.h"
#include "platform/SystemGridClock.h"
#include "transfer/Pagestor.h"
#include "transfer/PlayUnitTransfer.h"
#include "windows/MemoryCardPresenter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <unistd.h>

namespace tinctara::cli {

namespace {

constexpr const char* Usage =
    "Usage:\n"
    "  tinctara-cli check [--config F.CFG] [--import yes|no] FILE...\n"
    "      Loads the configuration, then each FILE (.CFG .CSC .CSQ .CCT) as at start-up and prints\n"
    "      every message (message:), status line (status:) and title (title:) the program would show.\n"
    "      Ends with \"ok\" (exit 0), or \"failed\" (exit 1) when a load failed or ended early.\n"
    "  tinctara-cli resave IN OUT [--config F.CFG] [--import yes|no]\n"
    "      Loads IN (after the configuration) and saves it to OUT, which has IN's extension.\n"
    "  tinctara-cli render [--config F] [--scene F] [--sequence F] [--colours F]\n"
    "                      [--interface none|isa|usb|library|sacn|artnet] [--play] [--ticks N]\n"
    "                      [--channels A-B] [--import yes|no] [--destination ADDR] [--universe N]\n"
    "                      [--realtime]\n"
    "      Loads the files, opens the interface as start-up does (isa: the card search on the\n"
    "      ports of hardware.ini, a 7301B at 0x120 without one; usb and library: the libraries\n"
    "      of the virtual hardware), optionally presses PLAY, runs N output ticks (default 1) and\n"
    "      prints per tick: the tick number, then the levels of channels A..B (default 1-512) as\n"
    "      the device holds them (isa: card memory from 400h); with --interface none the element\n"
    "      colours R,G,B,W of every element. Messages go to standard error.\n"
    "      sacn and artnet send one packet per tick (sacn: E1.31 to UDP 5568, --universe 1..63999,\n"
    "      default 1, to the universe's multicast address unless --destination names an IPv4\n"
    "      address; artnet: ArtDmx to UDP 6454, --universe the port-address 0..32767, default 0,\n"
    "      to the directed broadcast address of the first network unless --destination), as fast\n"
    "      as the ticks are computed or every 50 ms with --realtime; sacn ends its stream with\n"
    "      three stream-terminated packets. The levels printed are the ones sent.\n"
    "      A file that does not load (as check counts it) ends render after its messages, before\n"
    "      the first tick: nothing is printed to standard output and the exit code is 1.\n"
    "  tinctara-cli card-image --config F --sequence F --card-size 32K|64K|128K|256K|512K|1M --out FILE\n"
    "      Loads the two files, writes the sequence to an emulated memory card of that size (all\n"
    "      zero at the start) as the memory card window's \"&Schreiben\" does, answering OK when the\n"
    "      sequence does not fit, and saves the card's whole memory to FILE. Status texts go to\n"
    "      standard error. Exit 1 when the write did not finish.\n"
    "  tinctara-cli merger --config F --sequence F --out FILE\n"
    "      Loads the two files, opens an emulated 7301B at 0x120 by the card search and sends the\n"
    "      sequence to the play unit: 255 ticks, each saved as 529 bytes to FILE: the start code,\n"
    "      card memory 3F0h..3FFh (the timing block) and 400h..5FFh (the channels).\n" TINCTARA_EFFECT_USAGE
    "  tinctara-cli --help\n"
    "Every command takes --home DIR: the program folder with the show folders (default:\n"
    "TINCTARA_HOME, else the folder of tinctara-cli or, when installed, its share/tinctara).\n"
    "Nothing is written into a program folder below /usr or one that cannot be written.\n"
    "Exit codes: 0 done, 1 a file could not be loaded or saved, 2 usage error.\n";

enum class Kind { Configuration, Scene, Sequence, ColourTable };

std::optional<Kind> kindOf(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos)
        return std::nullopt;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    static const std::map<std::string, Kind> kinds{
        {"CFG", Kind::Configuration}, {"CSC", Kind::Scene}, {"CSQ", Kind::Sequence}, {"CCT", Kind::ColourTable}};
    const auto found = kinds.find(extension);
    return found == kinds.end() ? std::nullopt : std::optional<Kind>(found->second);
}

struct UsageError {
    std::string text;
};

// The command line after the command word: options with their values, and the
// remaining operands in order.
struct Arguments {
    std::map<std::string, std::string> options;
    bool play = false;
    bool realtime = false;
    std::vector<std::string> operands;
};

Arguments parse(const std::vector<std::string>& args, std::size_t from, const std::vector<std::string>& valued,
                bool allowPlay)
{
    Arguments parsed;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--play" && allowPlay) {
            parsed.play = true;
        } else if (arg == "--realtime" && allowPlay) {
            parsed.realtime = true;
        } else if (arg.rfind("--", 0) == 0) {
            if (std::find(valued.begin(), valued.end(), arg) == valued.end() && arg != "--home")
                throw UsageError{"unknown option " + arg};
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            parsed.options[arg] = args[++i];
        } else {
            parsed.operands.push_back(arg);
        }
    }
    return parsed;
}

bool importAnswer(const Arguments& parsed)
{
    const auto found = parsed.options.find("--import");
    if (found == parsed.options.end() || found->second == "yes")
        return true;
    if (found->second == "no")
        return false;
    throw UsageError{"--import takes yes or no"};
}

std::optional<long long> wholeNumber(const std::string& text)
{
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A fresh show initialised as at start-up, with the front end's platform.
class Session {
public:
    Session(std::ostream& messages, bool importYes, std::string programFolder)
        : view(messages), user(messages, importYes), context{model, view, user, timer, std::move(programFolder)}
    {
        // As in the program on Linux, OsName stays empty: the titles begin with ": ".
        initialiseAtStartUp(model);
    }

    LoadOutcome load(Kind kind, const std::string& path)
    {
        model.setState(StateFlag::SilentFileOp);
        LoadOutcome outcome = LoadOutcome::Failed;
        switch (kind) {
        case Kind::Configuration:
            model.ConfigFileName = path;
            outcome = LoadConfiguration(context);
            break;
        case Kind::Scene:
            model.SceneFileName = path;
            outcome = LoadScene(context);
            break;
        case Kind::Sequence:
            model.SequenceFileName = path;
            outcome = LoadSequence(context);
            break;
        case Kind::ColourTable:
            model.ColourTableFileName = path;
            outcome = LoadColourTable(context);
            break;
        }
        model.clearState(StateFlag::SilentFileOp);
        return outcome;
    }

    SaveOutcome save(Kind kind, const std::string& path)
    {
        model.setState(StateFlag::SilentFileOp);
        SaveOutcome outcome = SaveOutcome::Failed;
        switch (kind) {
        case Kind::Configuration:
            model.ConfigFileName = path;
            outcome = SaveConfiguration(context);
            break;
        case Kind::Scene:
            model.SceneFileName = path;
            outcome = SaveScene(context);
            break;
        case Kind::Sequence:
            model.SequenceFileName = path;
            outcome = SaveSequence(context);
            break;
        case Kind::ColourTable:
            model.ColourTableFileName = path;
            outcome = SaveColourTable(context);
            break;
        }
        model.clearState(StateFlag::SilentFileOp);
        return outcome;
    }

private:
    std::unique_ptr<ShowModel> storage = std::make_unique<ShowModel>();

public:
    ShowModel& model = *storage;
    CliView view;
    CliUser user;
    CliTimer timer;
    MessageTable messageTable{};
    ShowFileContext context;
};

std::string homeOf(const Arguments& parsed, const std::string& programFolder)
{
    const auto found = parsed.options.find("--home");
    return found == parsed.options.end() ? programFolder : found->second;
}

Kind requireKind(const std::string& path)
{
    const auto kind = kindOf(path);
    if (!kind)
        throw UsageError{"not a show file (.CFG .CSC .CSQ .CCT): " + path};
    return *kind;
}

int check(const std::vector<std::string>& args, std::ostream& out, const std::string& programFolder)
{
    const Arguments parsed = parse(args, 1, {"--config", "--import"}, false);
    const bool importYes = importAnswer(parsed);
    if (parsed.operands.empty())
        throw UsageError{"check needs at least one file"};
    std::vector<std::pair<Kind, std::string>> files;
    if (const auto config = parsed.options.find("--config"); config != parsed.options.end()) {
        if (requireKind(config->second) != Kind::Configuration)
            throw UsageError{"--config takes a .CFG file"};
        files.emplace_back(Kind::Configuration, config->second);
    }
    for (const auto& file : parsed.operands)
        files.emplace_back(requireKind(file), file);

    Session session(out, importYes, homeOf(parsed, programFolder));
    bool allLoaded = true;
    for (const auto& [kind, path] : files)
        allLoaded = session.load(kind, path) == LoadOutcome::Loaded && allLoaded;
    out << (allLoaded ? "ok" : "failed") << '\n';
    return allLoaded ? ExitOk : ExitFailed;
}

int resave(const std::vector<std::string>& args, std::ostream& out, const std::string& programFolder)
{
    const Arguments parsed = parse(args, 1, {"--config", "--import"}, false);
    const bool importYes = importAnswer(parsed);
    if (parsed.operands.size() != 2)
        throw UsageError{"resave needs IN and OUT"};
    const std::string& in = parsed.operands[0];
    const std::string& target = parsed.operands[1];
    const Kind kind = requireKind(in);
    if (kindOf(target) != kind)
        throw UsageError{"OUT must have the extension of IN"};

    Session session(out, importYes, homeOf(parsed, programFolder));
    if (const auto config = parsed.options.find("--config"); config != parsed.options.end()) {
        if (requireKind(config->second) != Kind::Configuration)
            throw UsageError{"--config takes a .CFG file"};
        if (session.load(Kind::Configuration, config->second) != LoadOutcome::Loaded)
            return ExitFailed;
    }
    if (session.load(kind, in) != LoadOutcome::Loaded)
        return ExitFailed;
    return session.save(kind, target) == SaveOutcome::Saved ? ExitOk : ExitFailed;
}

class NetworkSettingsMemory : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override
    {
        const auto found = values_.find(application + "/" + section + "/" + key);
        return found == values_.end() ? defaultValue : found->second;
    }
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override
    {
        values_[application + "/" + section + "/" + key] = value;
    }

private:
    std::map<std::string, std::string> values_;
};

struct ChannelRange {
    int first = 1;
    int last = DmxChannels;
};

ChannelRange channelRange(const Arguments& parsed)
{
    const auto found = parsed.options.find("--channels");
    if (found == parsed.options.end())
        return {};
    const std::string& text = found->second;
    const std::size_t dash = text.find('-');
    const auto first = dash == std::string::npos ? std::nullopt : wholeNumber(text.substr(0, dash));
    const auto last = dash == std::string::npos ? std::nullopt : wholeNumber(text.substr(dash + 1));
    if (!first || !last || *first < 1 || *first > *last || *last > DmxChannels)
        throw UsageError{"--channels takes A-B with 1 <= A <= B <= 512"};
    return {static_cast<int>(*first), static_cast<int>(*last)};
}

// What the device holds now: the card memory of an ISA card, or the last
// frame the USB interface or the library card was sent.
void readBack(int interfaceType, const ShowModel& model, PortIo& ports, LoadedUsbDmxLibrary& usb,
              LoadedDmxCardLibrary& cardLibrary, std::array<int, DmxChannels>& levels)
{
    levels.fill(0);
    if (interfaceType == Interface::IsaCard7301AB) {
        const auto base = static_cast<std::uint16_t>(model.CardBaseAddress);
        std::array<unsigned char, DmxChannels> memory{};
        if (VirtualIsaCardMemory(base, IsaCardMemory::FirstChannel, memory.data(), DmxChannels) == DmxChannels)
            std::copy(memory.begin(), memory.end(), levels.begin());
        else  // real ports: read back as the monitor does
            for (int channel = 1; channel <= DmxChannels; ++channel)
                levels[channel - 1] = ReadCardByte(ports, base, cardAddressOfChannel(channel));
    } else if (interfaceType == Interface::UsbInterface) {
        using Frame = std::int32_t (*)(std::uint8_t*, std::int32_t);
        std::array<std::uint8_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(usb.library().symbol("VirtualUsbFrame")))
            read(frame.data(), DmxChannels);
        std::copy(frame.begin(), frame.end(), levels.begin());
    } else {
        using Frame = std::int32_t (*)(std::int32_t, std::uint32_t*, std::int32_t, std::int32_t*);
        std::array<std::uint32_t, DmxChannels> frame{};
        if (auto read = reinterpret_cast<Frame>(cardLibrary.library().symbol("VirtualCardLibraryFrame")))
            read(1, frame.data(), DmxChannels, nullptr);
        std::transform(frame.begin(), frame.end(), levels.begin(), [](std::uint32_t v) { return static_cast<int>(v); });
    }
}

// The folder the port bus is set up from: its hardware.ini, and the battery
// file of the emulated memory card, which the bus creates there. A program
// folder the command must not write (an installed one below /usr, or one it
// cannot write) lends only its hardware.ini to a private folder that goes
// when the command ends; so does a folder without hardware.ini, which is no
// program folder yet (the command line never seeds one).
class PortBusFolder {
public:
    explicit PortBusFolder(const std::string& home)
    {
        std::error_code missing;
        if (home.rfind("/usr/", 0) != 0 && ::access(home.c_str(), W_OK) == 0 &&
            std::filesystem::is_regular_file(std::filesystem::path(home) / "hardware.ini", missing)) {
            path_ = home;
            return;
        }
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "tinctara-cli-XXXXXX").string();
        if (error || !::mkdtemp(pattern.data()))
            return;  // no folder: hardware.ini's defaults, no battery file
        path_ = private_ = pattern;
        std::filesystem::copy_file(std::filesystem::path(home) / "hardware.ini",
                                   std::filesystem::path(path_) / "hardware.ini", error);
    }
    ~PortBusFolder()
    {
        std::error_code ignored;
        if (!private_.empty())
            std::filesystem::remove_all(private_, ignored);
    }
    PortBusFolder(const PortBusFolder&) = delete;
    PortBusFolder& operator=(const PortBusFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_ = "/nonexistent";
    std::string private_;
};

int render(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& programFolder)
{
    const Arguments parsed = parse(args, 1,
                                   {"--config", "--scene", "--sequence", "--colours", "--interface", "--ticks",
                                    "--channels", "--import", "--destination", "--universe"},
                                   true);
    if (!parsed.operands.empty())
        throw UsageError{"render takes no operands: " + parsed.operands.front()};
    const bool importYes = importAnswer(parsed);
    const ChannelRange channels = channelRange(parsed);
    long long ticks = 1;
    if (const auto found = parsed.options.find("--ticks"); found != parsed.options.end()) {
        const auto value = wholeNumber(found->second);
        if (!value || *value < 0 || *value > 10'000'000)
            throw UsageError{"--ticks takes a number from 0 to 10000000"};
        ticks = *value;
    }
    std::int16_t interfaceType = Interface::NoInterface;
    if (const auto found = parsed.options.find("--interface"); found != parsed.options.end()) {
        if (found->second == "usb")
            interfaceType = Interface::UsbInterface;
        else if (found->second == "library")
            interfaceType = Interface::PcmciaCard8301;
        else if (found->second == "isa")
            interfaceType = Interface::IsaCard7301AB;
        else if (found->second == "sacn")
            interfaceType = Interface::SacnNetwork;
        else if (found->second == "artnet")
            interfaceType = Interface::ArtNetNetwork;
        else if (found->second != "none")
            throw UsageError{"--interface takes none, isa, usb, library, sacn or artnet"};
    }
    const bool network = interfaceType == Interface::SacnNetwork || interfaceType == Interface::ArtNetNetwork;
    // The network settings live where the program keeps them, here in memory.
    NetworkSettingsMemory networkSettings;
    if (parsed.options.count("--destination") || parsed.options.count("--universe")) {
        if (!network)
            throw UsageError{"--destination and --universe go with --interface sacn or artnet"};
        NetworkDmxSettings values = readNetworkSettings(networkSettings, interfaceType);
        if (const auto found = parsed.options.find("--destination"); found != parsed.options.end())
            values.destination = found->second;
        if (const auto found = parsed.options.find("--universe"); found != parsed.options.end()) {
            const auto value = wholeNumber(found->second);
            values.universe = value && *value >= -1 && *value <= 0xFFFF ? static_cast<int>(*value) : -1;
        }
        if (const std::string problem = checkNetworkSettings(interfaceType, values); !problem.empty())
            throw UsageError{problem};
        writeNetworkSettings(networkSettings, interfaceType, values);
    }
    const std::pair<const char*, Kind> order[] = {{"--config", Kind::Configuration},
                                                  {"--scene", Kind::Scene},
                                                  {"--sequence", Kind::Sequence},
                                                  {"--colours", Kind::ColourTable}};
    for (const auto& [option, kind] : order)
        if (const auto found = parsed.options.find(option);
            found != parsed.options.end() && kindOf(found->second) != kind)
            throw UsageError{std::string(option) + " takes a file of its kind: " + found->second};

    Session session(err, importYes, homeOf(parsed, programFolder));
    ShowModel& model = session.model;
    // As check: every file is loaded and its messages shown; a file that did
    // not load ends the command before the first tick.
    bool allLoaded = true;
    for (const auto& [option, kind] : order) {
        const auto found = parsed.options.find(option);
        if (found != parsed.options.end())
            allLoaded = session.load(kind, found->second) == LoadOutcome::Loaded && allLoaded;
    }
    if (!allLoaded)
        return ExitFailed;

    // The devices as the program has them: the process's port bus set up from
    // hardware.ini, the libraries loaded by name.
    const std::string home = homeOf(parsed, programFolder);
    const PortBusFolder busFolder(home);
    PortIoConfigure(busFolder.path().c_str(), nullptr);
    SharedPortBus ports;
    LoadedUsbDmxLibrary usb(libraryFolders(home));
    LoadedDmxCardLibrary cardLibrary(libraryFolders(home));
    SystemClock clock;
    CliSystemInfo system;
    UdpSocket socket;
    NetworkOutput networkOutput(socket);
    // The program's sender: with --realtime its grid paces the ticks as in the
    // program; otherwise each frame is sent as soon as its tick is done.
    SystemGridClock gridClock;
    EventFdTickRequests tickRequests;
    DmxSender sender(SenderDevices{usb, cardLibrary, &networkOutput}, parsed.realtime ? &gridClock : nullptr,
                     &tickRequests);
    InterfaceRegistry interfaces(
        model, session.view, session.user, session.timer, session.messageTable,
        InterfaceHardware{ports, usb, clock, system, home, &networkOutput, &networkSettings, &sender});
    OutputEngine engine(model, session.view, session.timer,
                        OutputDevices{ports, usb, cardLibrary, &networkOutput, &sender});
    // Opened as at start-up with this type stored.
    model.InterfaceType = interfaceType;
    if (interfaceType != Interface::NoInterface) {
        interfaces.OpenPort(interfaceType);
        if ((interfaceType <= Interface::UsbInterface || network) && !interfaces.isPresent(interfaceType)) {
            err << "tinctara-cli: " << interfaces.statusText(interfaceType) << '\n';
            return ExitFailed;
        }
        session.view.setTitle(model.OsName + ": " + interfaces.statusText(interfaceType));
        session.timer.setEnabled(true);
    }
    if (parsed.play) {
        Sequencer sequencer{model, session.view, session.user, session.timer};
        PressPlay(sequencer);
    }

    session.view.printing = false;
    std::string line;
    std::array<int, DmxChannels> levels{};
    if (parsed.realtime && ticks > 0) {
        // The first grid point sends nothing (nothing was built yet) and asks
        // for tick 1.
        sender.setEnabled(true);
        tickRequests.wait();
    }
    for (long long tick = 1; tick <= ticks; ++tick) {
        if (parsed.realtime) {
            engine.RequestedTick();
            // The next grid point sends this tick's frame and asks for the next.
            tickRequests.wait();
        } else {
            engine.AutoXmit();
            sender.sendNow();
        }
        line = std::to_string(tick);
        if (interfaceType == Interface::NoInterface) {
            for (int element = 1; element <= model.ElementCount; ++element)
                for (int plane = Red; plane <= White; ++plane)
                    line += "," + std::to_string(model.colour(plane, element));
        } else if (network) {
            for (int channel = channels.first; channel <= channels.last; ++channel)
                line += "," + std::to_string(model.DmxFrame[channel - 1]);
        } else {
            const auto lock = sender.lockDevices();
            readBack(interfaceType, model, ports, usb, cardLibrary, levels);
            for (int channel = channels.first; channel <= channels.last; ++channel)
                line += "," + std::to_string(levels[channel - 1]);
        }
        out << line << '\n';
    }
    sender.setEnabled(false);
    if (network)
        interfaces.ClosePort(interfaceType);
    return ExitOk;
}

// --- stand-alone playback ---------------------------------------------------

// The memory card window for the terminal: its status line on standard error.
class CliMemoryCardView : public MemoryCardView {
public:
    explicit CliMemoryCardView(std::ostream& err) : err_(err) {}
    void setCaption(std::string_view) override {}
    void setSequenceName(std::string_view) override {}
    void setStatus(std::string_view text) override { err_ << "status: " << escaped(text) << '\n'; }
    void setDisplay(std::string_view) override {}
    void setProgress(std::int64_t, std::int64_t) override {}
    void setWorking(bool) override {}
    void closeWindow() override {}

private:
    std::ostream& err_;
};

std::string requiredOption(const Arguments& parsed, const std::string& option)
{
    const auto found = parsed.options.find(option);
    if (found == parsed.options.end())
        throw UsageError{option + " is needed"};
    return found->second;
}

// A show as at start-up with the configuration and the sequence of the
// command line; false when either could not be loaded.
bool loadShow(Session& session, const Arguments& parsed)
{
    const std::string config = requiredOption(parsed, "--config");
    const std::string sequence = requiredOption(parsed, "--sequence");
    if (kindOf(config) != Kind::Configuration)
        throw UsageError{"--config takes a .CFG file"};
    if (kindOf(sequence) != Kind::Sequence)
        throw UsageError{"--sequence takes a .CSQ file"};
    return session.load(Kind::Configuration, config) == LoadOutcome::Loaded &&
           session.load(Kind::Sequence, sequence) == LoadOutcome::Loaded;
}

bool saveBytes(const std::string& path, std::string_view bytes, std::ostream& err)
{
    if (writeFileAtomically(path, bytes))
        return true;
    err << "tinctara-cli: cannot write " << path << '\n';
    return false;
}

int cardImage(const std::vector<std::string>& args, std::ostream& err, const std::string& programFolder)
{
    const Arguments parsed = parse(args, 1, {"--config", "--sequence", "--card-size", "--out"}, false);
    if (!parsed.operands.empty())
        throw UsageError{"card-image takes no operands: " + parsed.operands.front()};
    const std::string size = requiredOption(parsed, "--card-size");
    const std::string target = requiredOption(parsed, "--out");
    static const char* const sizes[] = {"32K", "64K", "128K", "256K", "512K", "1M"};
    if (std::find(std::begin(sizes), std::end(sizes), size) == std::end(sizes))
        throw UsageError{"--card-size takes 32K, 64K, 128K, 256K, 512K or 1M"};

    const std::string home = homeOf(parsed, programFolder);
    Session session(err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    PortIoConfigureVirtual(("[memorycard]\nsize = " + size + "\n").c_str());
    LoadedPagestorLibrary pagestor(libraryFolders(home));
    SystemClock clock;
    CliMemoryCardView view(err);
    MemoryCardPresenter window({session.model, session.user, clock, pagestor}, view);
    window.Form_Load();
    window.cmdFiles_Click(MemoryCardButton::Write);

    std::string memory(static_cast<std::size_t>(std::max(VirtualMemoryCardSize(), 0)), '\0');
    VirtualMemoryCardMemory(0, reinterpret_cast<unsigned char*>(memory.data()), static_cast<unsigned>(memory.size()));
    if (!saveBytes(target, memory, err))
        return ExitFailed;
    return window.lastWriteFinished() ? ExitOk : ExitFailed;
}

int merger(const std::vector<std::string>& args, std::ostream& err, const std::string& programFolder)
{
    const Arguments parsed = parse(args, 1, {"--config", "--sequence", "--out"}, false);
    if (!parsed.operands.empty())
        throw UsageError{"merger takes no operands: " + parsed.operands.front()};
    const std::string target = requiredOption(parsed, "--out");

    const std::string home = homeOf(parsed, programFolder);
    Session session(err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    ShowModel& model = session.model;
    PortIoConfigureVirtual("[isa]\ncard = 7301B 0x120\n");
    SharedPortBus ports;
    LoadedUsbDmxLibrary usb(libraryFolders(home));
    SystemClock clock;
    CliSystemInfo system;
    InterfaceRegistry interfaces(model, session.view, session.user, session.timer, session.messageTable,
                                 InterfaceHardware{ports, usb, clock, system, home});
    model.InterfaceType = Interface::IsaCard7301AB;
    interfaces.OpenPort(Interface::IsaCard7301AB);
    if (!interfaces.isPresent(Interface::IsaCard7301AB)) {
        err << "tinctara-cli: " << interfaces.statusText(Interface::IsaCard7301AB) << '\n';
        return ExitFailed;
    }
    CliTimer transferTimer;
    PlayUnitTransfer transfer({model, session.view, session.user, session.timer, transferTimer, ports});
    transfer.mnuSequenceToMerger();
    if (!transfer.transferring())
        return ExitFailed;

    constexpr std::size_t RecordBytes = 1 + 16 + DmxChannels;
    const auto base = static_cast<unsigned>(model.CardBaseAddress);
    std::string records;
    records.reserve(RecordBytes * PlayUnitTransfer::Ticks);
    std::array<unsigned char, RecordBytes> record{};
    std::array<unsigned char, DmxFrameSlots> transmitted{};
    for (int tick = 1; tick <= PlayUnitTransfer::Ticks; ++tick) {
        transfer.timSendToMerger_Timer();
        // The start code as the card transmits it, else as its timing block holds it.
        if (VirtualIsaCardFrame(base, transmitted.data(), DmxFrameSlots) > 0)
            record[0] = transmitted[0];
        else
            VirtualIsaCardMemory(base, IsaCardMemory::TimingBlock + 1, record.data(), 1);
        VirtualIsaCardMemory(base, IsaCardMemory::TimingBlock, record.data() + 1, 16);
        VirtualIsaCardMemory(base, IsaCardMemory::FirstChannel, record.data() + 17, DmxChannels);
        records.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    if (!saveBytes(target, records, err))
        return ExitFailed;
    return transfer.transferring() ? ExitFailed : ExitOk;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& programFolder)
{
    try {
        if (args.empty()) {
            err << Usage;
            return ExitUsage;
        }
        const std::string& command = args[0];
        if (command == "--help" || command == "-h" || command == "help") {
            out << Usage;
            return ExitOk;
        }
        if (command == "check")
            return check(args, out, programFolder);
        if (command == "resave")
            return resave(args, out, programFolder);
        if (command == "render")
            return render(args, out, err, programFolder);
        if (command == "card-image")
            return cardImage(args, err, programFolder);
        if (command == "merger")
            return merger(args, err, programFolder);
        if (command == "effect")
            return effectCommand(args, out, err, programFolder);
        throw UsageError{"unknown command " + command};
    } catch (const UsageError& error) {
        err << "tinctara-cli: " << error.text << "\n" << Usage;
        return ExitUsage;
    }
}

}  // namespace tinctara::cli
