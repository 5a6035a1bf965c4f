#pragma once

#include "platform/ShowView.h"
#include "windows/MainWindowView.h"

#include <QHash>
#include <functional>
#include <map>
#include <QMainWindow>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace tinctara {

class Program;
class WallWindow;
class ColourWindow;
class EffectsWindow;
class PatchWindow;

// MDIHaupt: the frame of the program. Its title bar is the status line, its
// menus reach every command, its QMdiArea holds the child windows.
class MainWindow : public QMainWindow, public MainWindowView {
    Q_OBJECT
public:
    explicit MainWindow(Program& program);
    ~MainWindow() override;

    // MainWindowView
    void setDmxStartStopVisible(bool visible) override;
    void applyPlacement(const WindowPlacement& placement) override;
    WindowPlacement currentPlacement() const override;
    void openWindow(WindowKind window) override;
    void closeMainWindow() override;

    QAction* action(const QString& controlName) const { return actions_.value(controlName); }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* editMenu() const { return editMenu_; }
    // "Rückgängig" and "Wiederholen" name what they would do, or stand greyed.
    void showUndoEntries();
    // The wall window, made (hidden) on first use; it lives for the whole run.
    WallWindow* wallWindow();
    bool hasWallWindow() const { return wallWindow_ != nullptr; }
    // Places and sizes the wall window from its entry in the window table.
    void placeWallWindowFromTable();
    // Shows a child window inside the work area and brings it to the front.
    void showChild(QWidget* child);
    // Puts a child window into the work area.
    QMdiSubWindow* addChild(QWidget* child);
    QMdiArea* mdiArea() const { return mdiArea_; }
    // The part of the work area the child windows are seen in.
    QSize workAreaSize();
    // Moves a child window's frame into the work area when it opens; one that
    // is larger keeps its title bar and close button in reach.
    void keepInsideWorkArea(QWidget* frame);
    // Where a child window without a stored place opens: the next free step
    // of a cascade beside the wall window (CascadePosition).
    QPoint cascadePosition(const QWidget* frame);
    // The colour, patch and effects windows while they are open.
    ColourWindow* colourWindow() const;
    PatchWindow* patchWindow() const;
    EffectsWindow* effectsWindow() const;
    // Opens frmEffekte, as at start when it was open at the last close.
    void openEffectsWindow();
    // A child window that can be disabled as a whole, while it is open.
    QWidget* childWindow(ChildWindow window) const;

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
    void openNewWallDialog();
    void openInterfaceDialog();
    void openColourWindow();
    void openPatchWindow();
    void openSequencer();
    void openDmxTestWindow();
    void openOptionsWindow();
    void openMemoryCardWindow();
    void openDmxInputWindow();
    // The editing windows are made when opened and go when closed; the window
    // table keeps where they stood. `activate` (if any) and `unload` are their
    // logic's Form_Activate and Form_Unload.
    struct EditingWindow {
        QPointer<QWidget> window;
        QPointer<QMdiSubWindow> frame;
        std::function<void()> activate;
        std::function<void(const WindowPlacement&)> unload;
    };
    QWidget* editingWindow(WindowKind kind) const;
    void addEditingWindow(WindowKind kind, QWidget* window, const WindowPlacement& stored,
                          std::function<void()> activate, std::function<void(const WindowPlacement&)> unload);
    WindowPlacement framePlacement(const QWidget* frame) const;
    void editingWindowActivated(QMdiSubWindow* frame);
    void unloadEditingWindows();

    Program& program_;
    QMdiArea* mdiArea_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    WallWindow* wallWindow_ = nullptr;
    QMdiSubWindow* wallFrame_ = nullptr;
    std::map<WindowKind, EditingWindow> editing_;
    QPointer<QMdiSubWindow> memoryCardFrame_;
    QHash<QString, QAction*> actions_;
    bool closing_ = false;
};

}  // namespace tinctara
