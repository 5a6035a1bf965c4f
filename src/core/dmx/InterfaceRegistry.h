#pragma once

#include "files/MessageFile.h"
#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <array>
#include <cstdint>
#include <string>

namespace tinctara {

inline constexpr int InterfaceKinds = 6;  // 0 = none, 1..5

// Which interface kinds were found, their status texts, and the procedures
// that open and close one kind.
class InterfaceRegistry {
public:
    InterfaceRegistry(ShowModel& model, ShowView& view, UserInteraction& user, OutputTimer& timer,
                      const MessageTable& messages);

    // Searches for and initialises one interface kind.
    void OpenPort(std::int16_t type);
    // Closes one kind and clears its present flag.
    void ClosePort(std::int16_t type);
    // Stops output, closes the kind, forgets the card and sets `type` to 0.
    void ReportFailure(std::int16_t& type);

    // Status text of a kind; an out-of-range kind has none.
    const std::string& statusText(int type) const;
    bool isPresent(int type) const { return type >= 0 && type < InterfaceKinds && InterfacePresent[type] > 0; }

    std::array<std::string, InterfaceKinds> InterfaceStatusText;
    std::array<std::int16_t, InterfaceKinds> InterfacePresent{};
    std::int16_t ActiveInterface = 0;
    std::int16_t CardIdentByte = 0;
    std::int16_t UsbOpenResult = 0;

private:
    void setStatusLine(const std::string& text);

    ShowModel& model_;
    ShowView& view_;
    UserInteraction& user_;
    OutputTimer& timer_;
    const MessageTable& messages_;
};

}  // namespace tinctara
