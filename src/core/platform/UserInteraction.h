#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tinctara {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageIcon { None, Stop, Question, Exclamation, Information };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct FileDialogRequest {
    std::string title;
    std::string initialFolder;
    std::string fileName;  // proposed file name (save) or pattern (open)
    std::string filter;    // e.g. "Konfiguration (*.CFG)|*.CFG"
    std::string defaultExtension;
};

// How the core talks to the user: message boxes, the beep, the busy pointer,
// file dialogs, and letting the window handle its events during a wait.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // An empty title means the program's own title.
    virtual MessageAnswer messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                     MessageIcon icon) = 0;
    virtual void beep() = 0;
    virtual void setBusyPointer(bool busy) = 0;
    // Empty when the user cancelled the dialog.
    virtual std::optional<std::string> openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogRequest& request) = 0;
    virtual void processEvents() = 0;
    // Lets the window handle its events for up to `milliseconds`, sleeping
    // while there are none: a wait of seconds then costs no processor time.
    virtual void processEventsFor(int /*milliseconds*/) { processEvents(); }
};

}  // namespace tinctara
