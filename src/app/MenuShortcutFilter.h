#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QMainWindow;

namespace tinctara {

// Lets the main window's menu shortcuts win over a text field's own editing
// keys anywhere inside that window: with a value field focused, Ctrl+A still
// selects every element of the wall instead of the field's text. Only the undo
// keys stay with a focused text field, which undoes its typing. Installed on
// the application; dialogs of their own (file dialogs, message boxes) keep
// their fields' keys.
class MenuShortcutFilter : public QObject {
    Q_OBJECT
public:
    explicit MenuShortcutFilter(QMainWindow* mainWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isMenuShortcut(const QKeyEvent* key) const;

    QPointer<QMainWindow> mainWindow_;
};

}  // namespace tinctara
