#pragma once

#include "input/DmxInput.h"
#include "platform/Environment.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

namespace DmxInputText {
inline constexpr const char* Caption = "DMX Eingang";
inline constexpr const char* KindOff = "Aus";
inline constexpr const char* KindSacn = "sACN (E1.31)";
inline constexpr const char* KindArtNet = "Art-Net";
inline constexpr const char* AllAddresses = "alle";
inline constexpr const char* InputOff = "Der Eingang ist aus.";
inline constexpr const char* NoSender = "Kein Sender";
inline constexpr const char* BadSacnUniverse = "Das Universum muss bei sACN zwischen 1 und 63999 liegen.";
inline constexpr const char* BadArtNetUniverse = "Die Port-Adresse muss bei Art-Net zwischen 0 und 32767 liegen.";
inline constexpr const char* OnWall = "Eingang auf der Wand";
inline constexpr int GridColumns = 32;  // 16 rows of 32 channels
}  // namespace DmxInputText

// What the window needs of the program's input: the service, the machine's
// addresses and the wall. The program implements it; tests fake it.
class DmxInputControl {
public:
    virtual ~DmxInputControl() = default;
    // "" when it runs with `settings` now (kind None: stopped), else the reason in German.
    virtual std::string start(const InputSettings& settings) = 0;
    virtual bool running() const = 0;
    virtual InputSettings current() const = 0;
    // The machine's IPv4 addresses it may listen on.
    virtual std::vector<std::string> addresses() const = 0;
    virtual const DmxInputFrame& frame() const = 0;
    virtual std::vector<InputSourceRow> sources() const = 0;
    virtual InputCounters counters() const = 0;
    // While on, the wall shows the input's picture instead of ElementColours.
    virtual void showOnWall(bool on) = 0;
    virtual bool showsOnWall() const = 0;
};

// The settings as the window's fields show them.
struct DmxInputFields {
    int kind = 0;  // index into the kinds: Aus, sACN, Art-Net
    std::string universe;
    std::vector<std::string> addresses;  // "alle" first
    int address = 0;
    int merge = 0;
    friend bool operator==(const DmxInputFields&, const DmxInputFields&) = default;
};

// What the "DMX Eingang" window shows.
class DmxInputView {
public:
    virtual ~DmxInputView() = default;
    // Once, as the window opens: the entries of "Eingang" and "Mischen".
    virtual void setChoices(const std::vector<std::string>& kinds, const std::vector<std::string>& merges) = 0;
    virtual void setFields(const DmxInputFields& fields) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setCounters(std::string_view text) = 0;
    // Rows of (name, priority, packets per second).
    virtual void setSources(const std::vector<std::array<std::string, 3>>& rows) = 0;
    // The 512 levels; `live` false greys the grid.
    virtual void setLevels(const std::array<std::uint8_t, NetworkSlots>& levels, bool live) = 0;
    virtual void setOnWall(bool on) = 0;
};

// "Empfangen: 10, genommen: 8, verworfen: 2, ArtPoll beantwortet: 1"
std::string inputCountersText(const InputCounters& counters);
// "Kein Sender", "1 Sender", "2 Sender".
std::string inputSendersText(std::size_t sources);

// The "DMX Eingang" window: which universe comes in from where and how it
// meets the output, what arrives (levels, senders, counters), and the input
// shown on the wall. Every change goes to the per-user store at once and the
// input starts again with it; a start that is refused keeps the settings that
// ran before, with the reason in the status line.
class DmxInputPresenter {
public:
    DmxInputPresenter(SettingsStore& store, DmxInputControl& input, DmxInputView& view)
        : store_(store), input_(input), view_(view)
    {
    }

    void Form_Load();
    // Closing the window gives the wall back to ElementColours.
    void Form_Unload();
    // A few times a second: levels (when they changed), senders and counters.
    void tmrRefresh_Timer();

    // 0 Aus, 1 sACN, 2 Art-Net.
    void cboKind_Click(int index);
    void txtUniverse_LostFocus(const std::string& text);
    // 0 is "alle", then the addresses as shown.
    void cboAddress_Click(int index);
    void cboMerge_Click(int index);
    void chkOnWall_Click(bool on);

    const InputSettings& settings() const { return settings_; }

private:
    void apply(const InputSettings& next);
    void showSettings();
    void showStatus();

    SettingsStore& store_;
    DmxInputControl& input_;
    DmxInputView& view_;
    InputSettings settings_;
    std::vector<std::string> addresses_;  // as the address list shows them, after "alle"
    std::string problem_;                 // the last refused start, until the next change
    std::uint64_t shownVersion_ = 0;
    bool levelsShown_ = false;
    std::vector<InputSourceRow> shownSources_;
};

}  // namespace tinctara
