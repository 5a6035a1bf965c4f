#include "MenuShortcutFilter.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenuBar>

namespace tinctara {

MenuShortcutFilter::MenuShortcutFilter(QMainWindow* mainWindow) : QObject(mainWindow), mainWindow_(mainWindow) {}

bool MenuShortcutFilter::isMenuShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : mainWindow_->menuBar()->findChildren<QAction*>())
        if (action->isEnabled() && !action->shortcut().isEmpty() &&
            action->shortcut().matches(pressed) == QKeySequence::ExactMatch)
            return true;
    return false;
}

// A focused widget claims a key for itself by accepting its ShortcutOverride;
// left unaccepted (and not handed on), the key goes to the shortcut.
bool MenuShortcutFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !mainWindow_)
        return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget || widget->window() != mainWindow_)
        return false;
    return isMenuShortcut(static_cast<const QKeyEvent*>(event));
}

}  // namespace tinctara
