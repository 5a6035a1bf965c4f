#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "tinctara_portio.h"
#include "dmx/LoadedLibraries.h"
#include "platform/SystemClock.h"
#include "transfer/Pagestor.h"
#include "windows/MemoryCardPresenter.h"

#include <algorithm>

namespace tinctara::cli {

const char CardImageUsage[] =
    "  tinctara-cli card-image --config F --sequence F --card-size 32K|64K|128K|256K|512K|1M --out FILE\n"
    "      Loads the two files, writes the sequence to an emulated memory card of that size (all\n"
    "      zero at the start) as the memory card window's \"&Schreiben\" does, answering OK when the\n"
    "      sequence does not fit, and saves the card's whole memory to FILE. Status texts go to\n"
    "      standard error. Exit 1 when the write did not finish.\n";

namespace {

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

const char* const CardSizes[] = {"32K", "64K", "128K", "256K", "512K", "1M"};

}  // namespace

int cardImageCommand(const CommandLine& command)
{
    const Options parsed = parseOptions(command.args, {.command = "card-image",
                                                       .valued = {"--config", "--sequence", "--card-size", "--out"},
                                                       .operands = Operands::RefusedAfterTheOptions});
    const std::string& size = required(parsed, "--card-size");
    const std::string& target = required(parsed, "--out");
    if (std::find(std::begin(CardSizes), std::end(CardSizes), size) == std::end(CardSizes))
        throw UsageError{"--card-size takes 32K, 64K, 128K, 256K, 512K or 1M"};

    const std::string home = homeOf(parsed, command.programFolder);
    Session session(command.err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    PortIoConfigureVirtual(("[memorycard]\nsize = " + size + "\n").c_str());
    LoadedPagestorLibrary pagestor(libraryFolders(home));
    SystemClock clock;
    CliMemoryCardView view(command.err);
    MemoryCardPresenter window({session.model, session.user, clock, pagestor}, view);
    window.Form_Load();
    window.cmdFiles_Click(MemoryCardButton::Write);

    std::string memory(static_cast<std::size_t>(std::max(VirtualMemoryCardSize(), 0)), '\0');
    VirtualMemoryCardMemory(0, reinterpret_cast<unsigned char*>(memory.data()), static_cast<unsigned>(memory.size()));
    if (!saveBytes(target, memory, command.err))
        return ExitFailed;
    return window.lastWriteFinished() ? ExitOk : ExitFailed;
}

}  // namespace tinctara::cli
