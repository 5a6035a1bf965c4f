#pragma once

#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/UserInteraction.h"

#include <QFileDialog>
#include <QLockFile>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace tinctara {

// Qt's own file dialog for a request (it speaks German with the program, a
// desktop's may not), in the detail view and at a size where the sizes, types
// and dates show whole.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request,
                                            QFileDialog::AcceptMode mode);

// Message boxes, beep, busy pointer, file dialogs and event processing, by Qt.
class QtUserInteraction : public UserInteraction {
public:
    explicit QtUserInteraction(QWidget* parentWindow = nullptr) : parent_(parentWindow) {}
    void setParentWindow(QWidget* window) { parent_ = window; }

    MessageAnswer messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                             MessageIcon icon) override;
    void beep() override;
    void setBusyPointer(bool busy) override;
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    void processEvents() override;
    void processEventsFor(int milliseconds) override;

private:
    QPointer<QWidget> parent_;
    int busyDepth_ = 0;
};

// The per-user settings store: QSettings of application "TINCTARA".
class QtSettingsStore : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
};

// The folder for the single-instance lock: the session's runtime folder, else
// one in the per-user cache made with mode 0700; only a folder the user owns
// and no one else may enter. Empty when there is none.
QString privateLockFolder();

class LinuxSystemInfo : public SystemInfo {
public:
    LinuxSystemInfo();
    ~LinuxSystemInfo() override;
    std::uint32_t osVersion() override;
    bool previousInstanceRunning() override;
    bool openDocument(const std::string& path) override;

private:
    std::unique_ptr<QLockFile> instanceLock_;
    bool previousInstance_ = false;
};

// A 50 ms timer on the UI thread (timSendToMerger; AutoXmit runs on the DMX
// sender's grid).
class QtOutputTimer : public OutputTimer {
public:
    QtOutputTimer();
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return timer_.isActive(); }
    QTimer& timer() { return timer_; }

private:
    QTimer timer_;
};

}  // namespace tinctara
