#include "MenuShortcutFilter.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tinctara {

MenuShortcutFilter::MenuShortcutFilter(QMainWindow* mainWindow) : QObject(mainWindow), mainWindow_(mainWindow) {}

namespace {

bool keepsUndoKeys(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool isUndoKey(const QKeyEvent* key)
{
    const QKeySequence pressed(key->keyCombination());
    for (const QKeySequence& undo : {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (undo.matches(pressed) == QKeySequence::ExactMatch)
            return true;
    return false;
}

}  // namespace

bool MenuShortcutFilter::isMenuShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* action : mainWindow_->menuBar()->findChildren<QAction*>()) {
        if (!action->isEnabled())
            continue;
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                return true;
    }
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
    // A text field undoes its own typing while it has the focus.
    if (keepsUndoKeys(widget) && isUndoKey(static_cast<const QKeyEvent*>(event)))
        return false;
    return isMenuShortcut(static_cast<const QKeyEvent*>(event));
}

}  // namespace tinctara
