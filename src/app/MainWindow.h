#pragma once

#include "windows/MainWindowView.h"

#include <QHash>
#include <QMainWindow>

class QMdiArea;
class QMenu;

namespace tinctara {

class Program;

// MDIHaupt: the frame of the program. Its title bar is the status line, its
// menus reach every command, its QMdiArea holds the child windows.
class MainWindow : public QMainWindow, public MainWindowView {
    Q_OBJECT
public:
    explicit MainWindow(Program& program);

    // MainWindowView
    void setDmxStartStopVisible(bool visible) override;
    void applyPlacement(const WindowPlacement& placement) override;
    WindowPlacement currentPlacement() const override;
    void openWindow(WindowKind window) override;
    void closeMainWindow() override;

    QAction* action(const QString& controlName) const { return actions_.value(controlName); }
    QMenu* fileMenu() const { return fileMenu_; }
    QMdiArea* mdiArea() const { return mdiArea_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QAction* addEntry(QMenu* menu, const char* controlName, const char* caption, const QKeySequence& shortcut,
                      std::function<void()> command);
    QAction* addUnavailable(QMenu* menu, const char* controlName, const char* caption,
                            const QKeySequence& shortcut = {});
    QMenu* addMenu(QMenu* parent, const char* controlName, const char* caption);
    void openInfoWindow();

    Program& program_;
    QMdiArea* mdiArea_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QHash<QString, QAction*> actions_;
    bool closing_ = false;
};

}  // namespace tinctara
