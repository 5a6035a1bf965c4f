#include "support/Fakes.h"

namespace tinctara::testing {

namespace {

MessageAnswer firstButton(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Retry;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    }
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer ScriptedUser::messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                       MessageIcon icon)
{
    messages.push_back({text, title, buttons, icon});
    if (answers.empty())
        return firstButton(buttons);
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUser::openFileDialog(const FileDialogRequest& request)
{
    dialogs.push_back(request);
    if (dialogResults.empty())
        return std::nullopt;
    auto result = dialogResults.front();
    dialogResults.pop_front();
    return result;
}

std::optional<std::string> ScriptedUser::saveFileDialog(const FileDialogRequest& request)
{
    return openFileDialog(request);
}

void RecordingPortBus::runStrobe()
{
    if (identities.empty())
        return;
    cardMemory[0x3F9] = identities.front();
    identities.pop_front();
}

std::uint8_t RecordingPortBus::readPort(std::uint32_t port)
{
    std::uint8_t value = 0xFF;  // an empty bus reads all ones
    if (port == base + 2u)
        value = cardMemory[latch];
    else if (port == base + 3u || port == base + 0u)
        value = 0;
    else if (const auto echo = echoed_.find(port); echo != echoed_.end())
        value = echo->second;
    if (port == base + 3u)
        runStrobe();
    if (recording)
        accesses.push_back({false, port, value});
    return value;
}

void RecordingPortBus::writePort(std::uint32_t port, std::uint8_t value)
{
    if (port == base + 0u)
        latch = static_cast<std::uint16_t>((latch & 0xFF00) | value);
    else if (port == base + 1u)
        latch = static_cast<std::uint16_t>((latch & 0x00FF) | (value << 8));
    else if (port == base + 2u)
        cardMemory[latch] = value;
    else if (port == base + 3u)
        runStrobe();
    for (const std::uint16_t echo : echoBases)
        if (port == echo + 2u)
            echoed_[port] = value;
    if (recording)
        accesses.push_back({true, port, value});
}

std::vector<std::pair<std::uint16_t, std::uint8_t>> RecordingPortBus::cardWrites() const
{
    std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
    std::uint16_t address = 0;
    for (const Access& access : accesses) {
        if (!access.write)
            continue;
        if (access.port == base + 0u)
            address = static_cast<std::uint16_t>((address & 0xFF00) | access.value);
        else if (access.port == base + 1u)
            address = static_cast<std::uint16_t>((address & 0x00FF) | (access.value << 8));
        else if (access.port == base + 2u)
            writes.emplace_back(address, access.value);
    }
    return writes;
}

std::int32_t RecordingUsbLibrary::hardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer)
{
    const std::size_t length = command == 4 ? static_cast<std::size_t>(parameter) : 1;
    calls.push_back({command, parameter, std::vector<std::uint8_t>(buffer, buffer + length)});
    return result;
}

std::int32_t RecordingCardLibrary::dmxSend(std::int32_t& handle, const std::uint32_t* frame)
{
    calls.push_back({1, &handle, frame});
    return 0;
}

std::int32_t RecordingCardLibrary::dmxSend2(std::int32_t& handle, const std::uint32_t* frame)
{
    calls.push_back({2, &handle, frame});
    return 0;
}

}  // namespace tinctara::testing
