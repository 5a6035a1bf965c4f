#include "transfer/MemoryCard.h"

#include "text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tinctara {

namespace {

constexpr int SilentAttempts = 20;
constexpr int LastAttempt = 99;
constexpr std::uint8_t Pattern1 = 170;  // 0xAA
constexpr std::uint8_t Pattern2 = 85;   // 0x55
constexpr std::int32_t SmallestCard = 32768;
constexpr std::int32_t LargestCard = 1048576;

std::int16_t arg(std::uint32_t value) { return static_cast<std::int16_t>(value & 0xFFFF); }

const char* sizeText(std::int32_t size)
{
    switch (size) {
    case 32768:
        return " 32KB grosse Memorykarte gefunden.";
    case 65536:
        return " 64KB grosse Memorykarte gefunden.";
    case 131072:
        return " 128KB grosse Memorykarte gefunden.";
    case 262144:
        return " 256KB grosse Memorykarte gefunden.";
    case 524288:
        return " 512KB grosse Memorykarte gefunden.";
    case 1048576:
        return " 1MB grosse Memorykarte gefunden.";
    default:
        return nullptr;
    }
}

}  // namespace

int memoryCardCapacity(std::int32_t size)
{
    if (size <= 32000)
        return 0;
    int slots = 60;
    for (const std::int32_t threshold : {64000, 128000, 256000, 512000, 1024000})
        if (size > threshold)
            slots *= 2;
    return slots;
}

void MemoryCard::status(std::string_view text)
{
    s_.observer.showStatus(text);
    s_.user.processEvents();
}

void MemoryCard::wait(double seconds)
{
    if (seconds <= 0)
        return;
    const std::int64_t until = s_.clock.monotonicMilliseconds() + std::llround(seconds * 1000.0);
    for (std::int64_t now = s_.clock.monotonicMilliseconds(); now < until; now = s_.clock.monotonicMilliseconds())
        s_.user.processEventsFor(static_cast<int>(std::min<std::int64_t>(until - now, 10)));
}

void MemoryCard::setAddress(std::uint32_t address)
{
    const auto port = MemoryCardPort;
    s_.pagestor.vbWRAMC(arg(port + 1u), static_cast<std::int16_t>(address & 0xFF));
    s_.pagestor.vbWRAMC(arg(port + 2u), static_cast<std::int16_t>((address >> 8) & 0xFF));
    s_.pagestor.vbWRAMC(arg(port + 3u), static_cast<std::int16_t>((address >> 16) & 0xFF));
}

void MemoryCard::setPage(std::uint8_t page)
{
    s_.pagestor.vbWRAMC(arg(MemoryCardPort + 3u), page);
    (void)s_.pagestor.vbRRAMC(arg(MemoryCardPort + 3u));
}

std::uint8_t MemoryCard::readByte(std::uint32_t address)
{
    setAddress(address);
    return static_cast<std::uint8_t>(s_.pagestor.vbRRAMC(arg(MemoryCardPort)) & 0xFF);
}

bool MemoryCard::writeByte(std::uint32_t address, std::uint8_t value)
{
    for (int attempt = 0; attempt <= LastAttempt; ++attempt) {
        setAddress(address);
        s_.pagestor.vbWDRAMC(arg(MemoryCardPort), value);
        wait(attempt * 0.05);
        if ((s_.pagestor.vbRRAMC(arg(MemoryCardPort)) & 0xFF) == value)
            return true;
        // Stop pressed during the wait ends the retries as well.
        if (aborted())
            return false;
        if (attempt < SilentAttempts)
            continue;
        const MessageAnswer answer = s_.user.messageBox("Fehler beim Schreiben von Adresse " + std::to_string(address) +
                                                            " Versuch Nr.:" + numberForm(attempt),
                                                        "", MessageButtons::AbortRetryIgnore, MessageIcon::None);
        if (answer == MessageAnswer::Abort) {
            MemoryCardAbort = 1;
            return false;
        }
        if (answer == MessageAnswer::Ignore)
            return false;
    }
    return false;
}

// AA then 55 at address 0; the old byte goes back when the cell does not hold them.
bool MemoryCard::probeCard(std::uint8_t byteZero)
{
    if (readByte(0) != Pattern1) {
        writeByte(0, byteZero);
        return false;
    }
    writeByte(0, Pattern2);
    if (readByte(0) != Pattern2) {
        writeByte(0, byteZero);
        return false;
    }
    return true;
}

// With 55 at address 0, AA written at 32 KB, 64 KB, ... shows at address 0
// once the address has wrapped round: that is the size.
void MemoryCard::measureSize(std::uint8_t byteZero)
{
    std::int32_t s = SmallestCard;
    while (s <= LargestCard && !aborted()) {
        const auto address = static_cast<std::uint32_t>(s);
        const std::uint8_t kept = readByte(address);
        writeByte(address, Pattern1);
        const std::uint8_t zero = readByte(0);
        if (zero == Pattern1 || zero != Pattern2) {
            MemoryCardSize = s;
            writeByte(0, byteZero);
            return;
        }
        writeByte(address, kept);
        s *= 2;
    }
    writeByte(0, byteZero);
    MemoryCardSize = s;
}

// Every address line on its own: AA at 1, 2, 4, ... must leave address 0 alone.
void MemoryCard::checkAddressLines()
{
    const std::uint8_t keptZero = readByte(0);
    writeByte(0, Pattern2);
    for (std::int64_t n = 1; n < MemoryCardSize && !aborted(); n *= 2) {
        const auto address = static_cast<std::uint32_t>(n);
        const std::uint8_t kept = readByte(address);
        writeByte(address, Pattern1);
        const bool fault = readByte(0) != Pattern2;
        if (fault)
            MemoryCardSize = MemoryCardCode::AddressFault;
        writeByte(address, kept);
        if (fault)
            break;
    }
    writeByte(0, keptZero);
}

void MemoryCard::detect()
{
    MemoryCardSize = MemoryCardCode::NoCard;
    // Without a port (or without the library) no port is touched at all.
    if (MemoryCardPort == 0 || !s_.pagestor.available()) {
        MemoryCardSize = MemoryCardCode::NoPort;
        reportDetection();
        return;
    }
    const std::uint8_t byteZero = readByte(0);
    writeByte(0, Pattern1);
    if (aborted()) {
        s_.user.beep();
        setPage(0);
        status("Es Konnte keine Karte angesprochen werden");
        return;
    }
    if (probeCard(byteZero)) {
        measureSize(byteZero);
        checkAddressLines();
    }
    setPage(255);
    reportDetection();
}

void MemoryCard::reportDetection()
{
    const bool hasPort = MemoryCardPort != 0 && MemoryCardSize != MemoryCardCode::NoPort;
    if (const char* text = sizeText(MemoryCardSize)) {
        status(text);
        return;
    }
    // Only a known card keeps the page register at 255.
    if (hasPort)
        setPage(0);
    switch (MemoryCardSize) {
    case MemoryCardCode::NoCard:
        status("Keine Memorykarte gefunden!");
        return;
    case MemoryCardCode::NoPort:
        s_.user.beep();
        status("Es wurde noch keine Schittstellenkarte initialisiert!");
        MemoryCardSize = 0;
        return;
    case MemoryCardCode::AddressFault:
        s_.user.beep();
        status("E/A -Fehler. Kann Karte nicht ansprechen");
        s_.user.messageBox("E/A -Fehler. Bitte überprüfen Sie ob eine andere Karte auf Adresse " +
                               std::to_string(MemoryCardPort) + " ist.",
                           "", MessageButtons::Ok, MessageIcon::None);
        MemoryCardSize = 0;
        return;
    default:
        break;
    }
    if (MemoryCardSize <= 0) {
        s_.user.beep();
        status("Keine bekannte Memorykarte gefunden!");
        s_.user.messageBox("Fehler beim erkennen der Memorykarte. Karte könnte defekt sein oder grösser als 1MB!", "",
                           MessageButtons::Ok, MessageIcon::None);
        return;
    }
    status(" Fehler im Programmteil zum ermitteln der Kartengrösse. Bitte teilen Sie diese Fehlermeldung dem "
           "Herrsteller Ihres Programms mit und geben Sie bitte die Speichergrösse  Ihrer Memorykarte mit an. Danke!");
}

bool MemoryCard::writeCard()
{
    MemoryCardAbort = 0;
    MemoryCardPort = MemoryCardInterfacePort;
    s_.user.setBusyPointer(true);
    s_.observer.showProgress(0, 0);
    detect();
    if (MemoryCardSize < 1) {
        s_.user.messageBox(" Keine Memorykarte gefunden. Überprüfen Sie die Memoryramcard und die E/A Adresse der "
                           "Schnittstellenkarte . E/A = " +
                               numberForm(MemoryCardPort),
                           "", MessageButtons::Ok, MessageIcon::None);
        MemoryCardAbort = 0;
        s_.user.setBusyPointer(false);
        return false;
    }
    wait(0.5);
    status("Schreibe Daten in Memory Karte");
    wait(0.1);
    const int slots = memoryCardCapacity(MemoryCardSize);
    const ShowModel& model = s_.model;
    if (model.StepCount > slots) {
        const MessageAnswer answer =
            s_.user.messageBox("Sequenz kann nicht komplett auf die Memorykarte gespeichert werden.Soll so ich bis " +
                                   numberForm(slots) + " Scenen abspeichern?",
                               "SAVE OPTIONS", MessageButtons::OkCancel, MessageIcon::None);
        if (answer == MessageAnswer::Cancel) {
            status("Schreiben wurde abgebrochen!");
            MemoryCardAbort = 0;
            s_.user.setBusyPointer(false);
            return false;
        }
    }

    const std::int64_t total = static_cast<std::int64_t>(slots) * MemoryCardSlotBytes;
    std::uint32_t address = 0;
    StepFrame frame{};
    s_.observer.showProgress(0, total);
    for (int slot = 1; slot <= slots && !aborted(); ++slot) {
        switch (slotKind(model, slot)) {
        case SlotKind::Step:
            status("Schreibe Szene (Lichtbild) Nr.: " + numberForm(slot - 1));
            break;
        case SlotKind::LastStep:
            status("Schreibe letzte Szene (Lichtbild) ");
            break;
        case SlotKind::Fill:
            status("Fülle Lichtbild  mit Null auf  " + numberForm(slot - 1));
            break;
        }
        buildStepFrame(model, slot, frame);
        for (const std::uint8_t byte : frame) {
            if (aborted())
                break;
            writeByte(address, byte);
            ++address;
        }
        s_.observer.showProgress(address, total);
    }
    const bool finished = !aborted();
    if (finished) {
        status("Fertig mit Schreiben. Bis Adresse " + numberForm(address) + " geschrieben.");
    } else {
        s_.user.beep();
        status("Abbruch beim Schreiben. Bis Adresse " + numberForm(address) + " geschrieben.");
    }
    MemoryCardAbort = 0;
    s_.user.setBusyPointer(false);
    return finished;
}

std::string MemoryCard::readCard()
{
    // A Stop pressed while the card was idle must not cut the detection short.
    MemoryCardAbort = 0;
    MemoryCardPort = MemoryCardInterfacePort;
    s_.user.setBusyPointer(true);
    detect();
    std::string text;
    if (MemoryCardSize >= 1) {
        wait(0.5);
        text = display();
    } else {
        s_.user.messageBox(" Keine Memorykarte gefunden. Überprüfen Sie die Memoryramcard und die E/A Adresse der "
                           "Schnittstellenkarte . E/A = " +
                               numberForm(MemoryCardPort),
                           "", MessageButtons::Ok, MessageIcon::None);
    }
    MemoryCardAbort = 0;
    s_.user.setBusyPointer(false);
    return text;
}

// Ten values a row under a header of column numbers; each row begins with
// its address range, padded so that the columns line up.
std::string MemoryCard::display()
{
    constexpr int LabelWidth = 15;
    char cell[32];
    std::string text(LabelWidth, ' ');
    for (int column = 0; column < 10; ++column) {
        std::snprintf(cell, sizeof cell, "%3d   ", column);
        text += cell;
    }
    text += "\n";
    for (std::uint32_t first = 0; first <= MemoryCardDisplayEnd; first += 10) {
        const std::uint32_t last = std::min(first + 9, MemoryCardDisplayEnd);
        std::snprintf(cell, sizeof cell, "Adr %u-%u", first, last);
        std::string label = cell;
        label.resize(LabelWidth - 2, ' ');
        text += label + ": ";
        for (std::uint32_t address = first; address <= last; ++address) {
            std::snprintf(cell, sizeof cell, "%3d |", readByte(address));
            text += cell;
            text += ' ';
        }
        text += "\n";
    }
    return text;
}

}  // namespace tinctara
