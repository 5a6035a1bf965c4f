#include "CliApp.h"
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "tinctara_portio.h"
#include "dmx/IsaCard.h"
#include "transfer/PlayUnitTransfer.h"

namespace tinctara::cli {

const char MergerUsage[] =
    "  tinctara-cli merger --config F --sequence F --out FILE\n"
    "      Loads the two files, opens an emulated 7301B at 0x120 by the card search and sends the\n"
    "      sequence to the play unit: 255 ticks, each saved as 529 bytes to FILE: the start code,\n"
    "      card memory 3F0h..3FFh (the timing block) and 400h..5FFh (the channels).\n";

namespace {

// The transfer's ticks, each as the card holds it after the tick.
std::string sendTicks(PlayUnitTransfer& transfer, unsigned base)
{
    constexpr std::size_t RecordBytes = 1 + 16 + DmxChannels;
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
    return records;
}

}  // namespace

int mergerCommand(const CommandLine& command)
{
    const Options parsed = parseOptions(command.args, {.command = "merger",
                                                       .valued = {"--config", "--sequence", "--out"},
                                                       .operands = Operands::RefusedAfterTheOptions});
    const std::string& target = required(parsed, "--out");

    const std::string home = homeOf(parsed, command.programFolder);
    Session session(command.err, true, home);
    if (!loadShow(session, parsed))
        return ExitFailed;
    CliOutput output(session, home);
    if (!output.open(Interface::IsaCard7301AB, command.err))
        return ExitFailed;
    CliTimer transferTimer;
    PlayUnitTransfer transfer(
        {session.model, session.view, session.user, session.timer, transferTimer, output.ports()});
    transfer.mnuSequenceToMerger();
    if (!transfer.transferring())
        return ExitFailed;

    const std::string records = sendTicks(transfer, static_cast<unsigned>(session.model.CardBaseAddress));
    if (!saveBytes(target, records, command.err))
        return ExitFailed;
    return transfer.transferring() ? ExitFailed : ExitOk;
}

}  // namespace tinctara::cli
