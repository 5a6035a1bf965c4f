#include "ShowViewHub.h"

#include "MainWindow.h"

#include <QAction>

namespace tinctara {

void ShowViewHub::attachMainWindow(MainWindow* window) { mainWindow_ = window; }

void ShowViewHub::setTitle(std::string_view text)
{
    // Every ISA tick sets the same title; only a change reaches the window manager.
    if (!mainWindow_)
        return;
    const QString title = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (mainWindow_->windowTitle() != title)
        mainWindow_->setWindowTitle(title);
}

void ShowViewHub::setDmxStartStopChecked(bool startChecked, bool stopChecked)
{
    if (!mainWindow_)
        return;
    mainWindow_->action(QStringLiteral("mnuDMXStart"))->setChecked(startChecked);
    mainWindow_->action(QStringLiteral("mnuDMXStop"))->setChecked(stopChecked);
}

}  // namespace tinctara
