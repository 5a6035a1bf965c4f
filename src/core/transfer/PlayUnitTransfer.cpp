#include "transfer/PlayUnitTransfer.h"

#include "dmx/DmxRunControl.h"
#include "dmx/IsaCard.h"
#include "model/ShowOperations.h"

#include <string>

namespace tinctara {

namespace {

constexpr const char* Transferring = ": QOR DMX TINCTARA  ....stopped: transferring Sequence to PlayUnit";
constexpr const char* TransferComplete = ": QOR DMX TINCTARA  ....Transfer complete";

std::uint8_t lowByte(std::int16_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

}  // namespace

void PlayUnitTransfer::mnuSequenceToMerger()
{
    ShowModel& model = s_.model;
    if (model.CardBaseAddress < 256) {
        s_.user.messageBox(std::string("Bitte installieren Sie eine DMX-Interfacekarte 7301B") + '\r' +
                               "Ohne Karte kann nicht gesendet werden.",
                           "", MessageButtons::Ok, MessageIcon::None);
        return;
    }
    if (model.hasState(StateFlag::SequencePlaying)) {
        s_.user.messageBox("Während eine Sequenz abgespielt wird, kann nicht gesendet werden!", "", MessageButtons::Ok,
                           MessageIcon::None);
        return;
    }
    // A second start would save the transfer's own timing as the one to restore.
    if (transferring_)
        return;
    DisableChildWindows(model, s_.view);
    savedTiming_.fill(0);
    for (int i = 0; i <= 10; ++i)
        savedTiming_[static_cast<std::size_t>(i)] = lowByte(model.DmxTiming[static_cast<std::size_t>(i)]);
    s_.outputTimer.setEnabled(false);
    s_.view.setTitle(model.OsName + Transferring);
    model.DmxTiming[3] = 0;
    model.DmxTiming[4] = 1;  // 512 channels in the card's count form
    model.DmxTiming[5] = 0;
    model.DmxTiming[6] = 0;
    for (int i = 7; i < DmxTimingValues; ++i)
        model.DmxTiming[static_cast<std::size_t>(i)] = 0;
    step_ = 1;
    transferring_ = true;
    s_.view.setPlayUnitProgress(0, Ticks);
    s_.transferTimer.setEnabled(true);
}

void PlayUnitTransfer::timSendToMerger_Timer()
{
    if (!transferring_)
        return;
    ShowModel& model = s_.model;
    const int k = step_;
    const auto base = static_cast<std::uint16_t>(model.CardBaseAddress);
    // A card forgotten meanwhile (a failed search) must not send the low ports anything.
    const bool cardKnown = model.CardBaseAddress > 255;
    if (cardKnown)
        CardHaltStrobe(s_.ports, base, model.InterfaceType);
    model.DmxTiming[1] = static_cast<std::int16_t>(k);
    if (cardKnown)
        for (int i = 0; i < DmxTimingValues; ++i)
            WriteCardByte(s_.ports, base, static_cast<std::uint16_t>(IsaCardMemory::TimingBlock + i),
                          lowByte(model.DmxTiming[static_cast<std::size_t>(i)]));

    switch (buildStepFrame(model, k, frame_)) {
    case SlotKind::Step:
        s_.view.setSequencerLabel("Schreibe Scene (Lichtbild) Nr.: " + std::to_string(k - 1));
        break;
    case SlotKind::LastStep:
        s_.view.setSequencerLabel("Schreibe letzte Scene (Lichtbild) ");
        break;
    case SlotKind::Fill:
        s_.view.setSequencerLabel("Fülle Lichtbild  mit Null auf  " + std::to_string(k - 1));
        break;
    }
    if (cardKnown)
        for (int i = 0; i < DmxChannels; ++i)
            WriteCardByte(s_.ports, base, static_cast<std::uint16_t>(IsaCardMemory::FirstChannel + i),
                          frame_[static_cast<std::size_t>(i)]);
    s_.view.setPlayUnitProgress(k, Ticks);

    if (k < Ticks)
        ++step_;
    else
        finish();
    DmxStart(model, s_.view, s_.outputTimer, s_.ports);
    // Output ticks between transfer ticks would write the wall's levels over
    // the frame the play unit is recording; output resumes with the end.
    if (transferring_)
        s_.outputTimer.setEnabled(false);
}

void PlayUnitTransfer::finish()
{
    ShowModel& model = s_.model;
    s_.transferTimer.setEnabled(false);
    transferring_ = false;
    EnableChildWindows(model, s_.view);
    for (int i = 0; i < DmxTimingValues; ++i)
        model.DmxTiming[static_cast<std::size_t>(i)] = savedTiming_[static_cast<std::size_t>(i)];
    model.TimingBlockPending = 1;
    s_.view.setSequencerLabel("Fertig mit Senden.");
    s_.outputTimer.setEnabled(true);
    s_.view.setTitle(model.OsName + TransferComplete);
    s_.view.setPlayUnitProgress(0, 0);
}

}  // namespace tinctara
