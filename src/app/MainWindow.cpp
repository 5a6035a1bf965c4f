#include "MainWindow.h"

#include "Accessibility.h"
#include "ColourWindow.h"
#include "ControlOptionsTab.h"
#include "InfoWindow.h"
#include "InterfaceDialog.h"
#include "NewWallDialog.h"
#include "MemoryCardWindow.h"
#include "MenuShortcutFilter.h"
#include "MusicPreview.h"
#include "PatchWindow.h"
#include "DmxInputWindow.h"
#include "DmxTestWindow.h"
#include "EffectsWindow.h"
#include "OptionsWindow.h"
#include "ProgramControl.h"
#include "ProgramInput.h"
#include "ProgramRemote.h"
#include "MusicOptionsTab.h"
#include "ProgramMusic.h"
#include "RemoteOptionsTab.h"
#include "SequencerWindow.h"
#include "TimecodeOptionsTab.h"
#include "ProgramTimecode.h"
#include "Program.h"
#include "WallWindow.h"
#include "dmx/DmxRunControl.h"
#include "model/ShowOperations.h"
#include "windows/WindowFit.h"
#include "QtText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace tinctara {

namespace {

constexpr QSize DefaultMainWindowSize(1024, 720);

double screenDpi(const QWidget* widget)
{
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

// A window's rectangle in pixels as the window table keeps it, and back.
WindowPlacement twipsOf(const QRect& r, double dpi)
{
    return {TwipsFromPixels(r.left(), dpi), TwipsFromPixels(r.top(), dpi), TwipsFromPixels(r.width(), dpi),
            TwipsFromPixels(r.height(), dpi), 0};
}

QRect pixelsOf(const WindowPlacement& p, double dpi)
{
    return {PixelsFromTwips(p.left, dpi), PixelsFromTwips(p.top, dpi), PixelsFromTwips(p.width, dpi),
            PixelsFromTwips(p.height, dpi)};
}

}  // namespace

MainWindow::MainWindow(Program& program) : program_(program)
{
    nameControl(this, QStringLiteral("MDIHaupt"));
    setWindowIcon(QIcon(tinctaraLogo(64)));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setBackground(QColor(0x80, 0x80, 0x80));
    // A child window that reaches past the work area stays reachable.
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    nameControl(mdiArea_, QStringLiteral("MDIArea"), QStringLiteral("Arbeitsfläche"));
    mdiArea_->viewport()->installEventFilter(this);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MainWindow::editingWindowActivated);
    setCentralWidget(mdiArea_);
    buildMenus();
    qApp->installEventFilter(new MenuShortcutFilter(this));
    resize(DefaultMainWindowSize);
}

// The work area reports its last activations while it is taken down. A
// field that still has the focus is left now, while its check on leaving
// can still reach a whole main window; a field that loses the focus later
// may still set the title, which must not reach this window any more.
MainWindow::~MainWindow()
{
    if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus))
        focus->clearFocus();
    disconnect(mdiArea_, nullptr, this, nullptr);
    program_.view().attachMainWindow(nullptr);
}

QMenu* MainWindow::addMenu(QMenu* parent, const char* controlName, const char* caption)
{
    QMenu* menu = parent ? parent->addMenu(qt(caption)) : menuBar()->addMenu(qt(caption));
    nameControl(menu, QString::fromLatin1(controlName));
    nameAction(menu->menuAction(), QString::fromLatin1(controlName));
    actions_.insert(QString::fromLatin1(controlName), menu->menuAction());
    return menu;
}

QAction* MainWindow::addEntry(QMenu* menu, const char* controlName, const char* caption, const QKeySequence& shortcut,
                              std::function<void()> command)
{
    QAction* action = menu->addAction(qt(caption));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    nameAction(action, QString::fromLatin1(controlName));
    if (command)
        connect(action, &QAction::triggered, this, [command = std::move(command)] { command(); });
    actions_.insert(QString::fromLatin1(controlName), action);
    return action;
}

// Entries that exist in the menu but are not available to the user: greyed.
QAction* MainWindow::addUnavailable(QMenu* menu, const char* controlName, const char* caption,
                                    const QKeySequence& shortcut)
{
    QAction* action = addEntry(menu, controlName, caption, shortcut, {});
    action->setEnabled(false);
    return action;
}

void MainWindow::buildMenus()
{
    Program& p = program_;
    auto open = [this](WindowKind kind) { return [this, kind] { openWindow(kind); }; };

    fileMenu_ = addMenu(nullptr, "mnuDatei", "&Datei");
    addEntry(fileMenu_, "mnuNeueWand", "Neue &Wand", QKeySequence(Qt::CTRL | Qt::Key_W), open(WindowKind::NewWall));
    addUnavailable(fileMenu_, "mnuNeuesElement", "Neues &Element", QKeySequence(Qt::CTRL | Qt::Key_E));
    addUnavailable(fileMenu_, "mnuWandLoeschen", "Wand löschen");
    auto loadCommand = [&p](DocumentKind kind) { return [&p, kind] { p.showFiles().load(kind); }; };
    auto saveCommand = [&p](DocumentKind kind) { return [&p, kind] { p.showFiles().save(kind); }; };
    QMenu* load = addMenu(fileMenu_, "mnuLaden", "Laden");
    addEntry(load, "mnuLadenKonfiguration", "Konfiguration", {}, loadCommand(DocumentKind::Config));
    addEntry(load, "mnuLadenSzene", "Szene", {}, loadCommand(DocumentKind::Scene));
    addEntry(load, "mnuLadenSequenz", "Sequenz", {}, loadCommand(DocumentKind::Sequence));
    addEntry(load, "mnuLadenFarbtabelle", "Farbtabelle", {}, loadCommand(DocumentKind::ColourTable));
    addUnavailable(load, "mnuLadenMemoryCard", "Memory Card");
    QMenu* save = addMenu(fileMenu_, "mnuSpeichern", "Speichern");
    addEntry(save, "mnuSpeichernKonfiguration", "&Konfiguration", {}, saveCommand(DocumentKind::Config));
    addEntry(save, "mnuSpeichernSzene", "&Szene ", QKeySequence(Qt::CTRL | Qt::Key_S),
             saveCommand(DocumentKind::Scene));
    addEntry(save, "mnuSpeichernSequenz", "Se&quenz", QKeySequence(Qt::CTRL | Qt::Key_Q),
             saveCommand(DocumentKind::Sequence));
    addEntry(save, "mnuSpeichernFarbtabelle", "&Farbtabelle", QKeySequence(Qt::CTRL | Qt::Key_F),
             saveCommand(DocumentKind::ColourTable));
    addEntry(save, "mnuSpeichernMemoryCard", "&Memory Card", QKeySequence(Qt::CTRL | Qt::Key_M),
             open(WindowKind::MemoryCard));
    QMenu* send = addMenu(fileMenu_, "mnuSequenzSenden", "Sequenz senden");
    addEntry(send, "mnuSequenceToMerger", "zum Merger über DMX", {}, [&p] { p.playUnit().mnuSequenceToMerger(); });
    addEntry(fileMenu_, "mnuBeenden", "Be&enden", QKeySequence(Qt::CTRL | Qt::Key_F4),
             [&p] { p.presenter().mnuBeenden_Click(); });

    QMenu* edit = editMenu_ = addMenu(nullptr, "mnuBearbeiten", "&Bearbeiten");
    addEntry(edit, "mnuRueckgaengig", "&Rückgängig", QKeySequence(Qt::CTRL | Qt::Key_Z), [&p] { p.edits().undo(); });
    QAction* redo = addEntry(edit, "mnuWiederholen", "&Wiederholen", QKeySequence(Qt::CTRL | Qt::Key_Y),
                             [&p] { p.edits().redo(); });
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::showUndoEntries);
    showUndoEntries();
    addEntry(edit, "mnuFarbe", "&Farbe", {}, open(WindowKind::Colour));
    addEntry(edit, "mnuWand", "&Wand", {}, [this, &p] {
        p.model().setState(StateFlag::WallPresent);
        openWindow(WindowKind::NewWall);
    });
    addEntry(edit, "mnuElementPatchen", "&Element patchen", {}, open(WindowKind::Patch));
    addUnavailable(edit, "mnuMusterHinzufuegen", "&Muster hinzufügen");
    addUnavailable(edit, "mnuMusterAuswaehlen", "Muster &auswählen");
    addEntry(edit, "mnuAllesMarkieren", "Alles markieren", QKeySequence(Qt::CTRL | Qt::Key_A),
             [&p] { p.selection().selectAll(); });
    addEntry(edit, "mnuMarkierungUmkehren", "Markierung &umkehren", {}, [&p] { p.selection().invert(); });
    addEntry(edit, "mnuOptionen", "&Optionen", {}, open(WindowKind::Options));

    QMenu* dmx = addMenu(nullptr, "mnuDMX", "&DMX");
    addEntry(dmx, "mnuDMXInit", "Karte &initialisieren", QKeySequence(Qt::CTRL | Qt::Key_I),
             [&p] { p.presenter().mnuDMXInit(); });
    QAction* start = addEntry(dmx, "mnuDMXStart", "DMX Start", {},
                              [&p] { DmxStart(p.model(), p.view(), p.outputTimer(), p.ports()); });
    QAction* stop =
        addEntry(dmx, "mnuDMXStop", "DMX Stop", {}, [&p] { DmxStop(p.model(), p.view(), p.outputTimer(), p.ports()); });
    start->setCheckable(true);
    stop->setCheckable(true);
    start->setVisible(false);
    stop->setVisible(false);
    addEntry(dmx, "mnuDMXTest", "DMX Test", {}, open(WindowKind::DmxTest));

    QMenu* windows = addMenu(nullptr, "mnuFenster", "Fenster");
    addEntry(windows, "mnuPatchfenster", "Patchfenster", QKeySequence(Qt::Key_F5), open(WindowKind::Patch));
    addEntry(windows, "mnuSequenzer", "Sequenzer", QKeySequence(Qt::Key_F6), open(WindowKind::Sequencer));
    addEntry(windows, "mnuColorFenster", "Color Fenster", QKeySequence(Qt::Key_F7), open(WindowKind::Colour));
    addEntry(windows, "mnuDMXTestfenster", "DMX Testfenster", QKeySequence(Qt::Key_F8), open(WindowKind::DmxTest));
    addEntry(windows, "mnuEffekte", "Effekte", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
             open(WindowKind::Effects));
    addEntry(windows, "mnuDMXEingang", "DMX Eingang", {}, open(WindowKind::DmxInput));

    QMenu* help = addMenu(nullptr, "mnuFragezeichen", "&?");
    addEntry(help, "mnuInfo", "&Info", QKeySequence(Qt::SHIFT | Qt::Key_F1), open(WindowKind::Info));
    addEntry(help, "mnuHilfe", "&Hilfe", QKeySequence(Qt::Key_F1), [&p] { p.presenter().mnuHilfe_Click(); });
    addUnavailable(help, "mnuDebug", "DEBUG");
}

void MainWindow::showUndoEntries()
{
    const history::UndoHistory& history = program_.edits().history();
    auto show = [this](const char* controlName, const std::string& caption, const char* plain) {
        QAction* entry = action(QString::fromLatin1(controlName));
        // An & in a caption is text, not a mnemonic.
        entry->setText(caption.empty() ? qt(plain) : qt(caption).replace(u'&', QStringLiteral("&&")));
        entry->setEnabled(!caption.empty());
    };
    show("mnuRueckgaengig", history.undoCaption(), "&Rückgängig");
    show("mnuWiederholen", history.redoCaption(), "&Wiederholen");
}

void MainWindow::setDmxStartStopVisible(bool visible)
{
    action(QStringLiteral("mnuDMXStart"))->setVisible(visible);
    action(QStringLiteral("mnuDMXStop"))->setVisible(visible);
}

void MainWindow::applyPlacement(const WindowPlacement& placement)
{
    if (placement.state == 1) {
        setWindowState(Qt::WindowMinimized);
        return;
    }
    if (placement.state == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    const QRect stored = pixelsOf(placement, screenDpi(this));
    // A first run (or a damaged file) has no size: keep the default one.
    if (stored.width() < 200 || stored.height() < 150)
        return;
    const QPoint corner = stored.topLeft();
    // The screen the window stood on, or the primary one when the screens
    // have changed since; the window goes wholly onto its free area.
    const QScreen* screen = QGuiApplication::screenAt(corner);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(DefaultMainWindowSize);
        return;
    }
    const QRect area = screen->availableGeometry();
    // Before the first show the frame is not known yet: a title bar and thin
    // borders are a fair guess.
    QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra.isEmpty() && !isVisible()) {
        constexpr int Border = 4;
        frameExtra = QSize(2 * Border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + 2 * Border);
    }
    const PixelRect fitted = FitMainWindow(
        {corner.x(), corner.y(), stored.width(), stored.height()}, {area.x(), area.y(), area.width(), area.height()},
        DefaultMainWindowSize.width(), DefaultMainWindowSize.height(), frameExtra.width(), frameExtra.height());
    move(fitted.left, fitted.top);
    resize(fitted.width, fitted.height);
}

WindowPlacement MainWindow::currentPlacement() const
{
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : frameGeometry();
    WindowPlacement placement = twipsOf(QRect(normal.topLeft(), geometry().size()), screenDpi(this));
    placement.state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    return placement;
}

void MainWindow::openWindow(WindowKind window)
{
    switch (window) {
    case WindowKind::Info:
        openInfoWindow();
        return;
    case WindowKind::NewWall:
        openNewWallDialog();
        return;
    case WindowKind::Wall:
        showChild(wallWindow());
        return;
    case WindowKind::Colour:
        openColourWindow();
        return;
    case WindowKind::Patch:
        openPatchWindow();
        return;
    case WindowKind::Sequencer:
        openSequencer();
        return;
    case WindowKind::DmxTest:
        openDmxTestWindow();
        return;
    case WindowKind::Options:
        openOptionsWindow();
        return;
    case WindowKind::InterfaceSelection:
        openInterfaceDialog();
        return;
    case WindowKind::MemoryCard:
        openMemoryCardWindow();
        return;
    case WindowKind::Effects:
        openEffectsWindow();
        return;
    case WindowKind::DmxInput:
        openDmxInputWindow();
        return;
    default:
        return;  // the other windows arrive with their own work
    }
}

// frmFiles is not in the window table: it opens where the work area puts it.
void MainWindow::openMemoryCardWindow()
{
    if (!memoryCardFrame_) {
        auto* window = new MemoryCardWindow({program_.model(), program_.user(), program_.clock(), program_.pagestor()});
        memoryCardFrame_ = addChild(window);
        memoryCardFrame_->setAttribute(Qt::WA_DeleteOnClose);
        memoryCardFrame_->adjustSize();
    }
    showChild(memoryCardFrame_->widget());
    keepInsideWorkArea(memoryCardFrame_);
}

void MainWindow::openInfoWindow()
{
    ShowBusy(program_.user());
    auto* info = new InfoWindow(program_.model().VersionText, program_.user(), this);
    info->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    info->show();
}

// A child window's system menu carries Ctrl+W and Ctrl+F4 for closing it;
// those keys belong to "Neue Wand" and "Beenden" here.
QMdiSubWindow* MainWindow::addChild(QWidget* child)
{
    QMdiSubWindow* frame = mdiArea_->addSubWindow(child);
    frame->setWindowIcon(windowIcon());
    if (QMenu* menu = frame->systemMenu())
        for (QAction* action : menu->actions())
            action->setShortcuts({});
    return frame;
}

void MainWindow::showChild(QWidget* child)
{
    QWidget* frame = child->parentWidget() ? child->parentWidget() : child;
    frame->show();
    child->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
        mdiArea_->setActiveSubWindow(sub);
    frame->raise();
}

WallWindow* MainWindow::wallWindow()
{
    if (wallWindow_)
        return wallWindow_;
    wallWindow_ = new WallWindow(program_.wallPresenter());
    wallFrame_ = addChild(wallWindow_);
    wallFrame_->installEventFilter(this);
    program_.wallPresenter().Form_Load();
    placeWallWindowFromTable();
    wallFrame_->hide();
    return wallWindow_;
}

void MainWindow::placeWallWindowFromTable()
{
    if (!wallFrame_)
        return;
    const WindowPlacement stored = program_.wallPresenter().storedPlacement();
    const QRect place = pixelsOf(stored, screenDpi(this));
    wallFrame_->move(place.topLeft());
    if (stored.width > 0 && stored.height > 0)
        wallFrame_->resize(place.size());
    wallWindow_->fitIntoWorkArea();
}

void MainWindow::openNewWallDialog()
{
    ShowBusy(program_.user());
    auto* dialog = new NewWallDialog({program_.model(), program_.view(), program_.user(), program_.presenter()});
    dialog->presenter().recordEdits(&program_.edits());
    QMdiSubWindow* frame = addChild(dialog);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->adjustSize();
    showChild(dialog);
    keepInsideWorkArea(frame);
}

// frmIFS, modal: the init command goes on when the user has chosen.
void MainWindow::openInterfaceDialog()
{
    InterfaceDialog dialog(
        {program_.model(), program_.view(), program_.outputTimer(), program_.interfaces(), program_.settings(), *this},
        this);
    dialog.exec();
}

QSize MainWindow::workAreaSize()
{
    // Before the first show the layout has not given the work area its size.
    if (!mdiArea_->isVisible()) {
        if (layout())
            layout()->activate();
        return mdiArea_->contentsRect().size();
    }
    return mdiArea_->viewport()->size();
}

void MainWindow::keepInsideWorkArea(QWidget* frame)
{
    const QSize area = workAreaSize();
    const QRect now = frame->geometry();
    const PixelRect inside = KeepInsideArea({now.x(), now.y(), now.width(), now.height()}, area.width(), area.height());
    if (inside.left != now.x() || inside.top != now.y())
        frame->move(inside.left, inside.top);
}

QPoint MainWindow::cascadePosition(const QWidget* frame)
{
    const QSize size = workAreaSize();
    CascadeArea area;
    area.width = size.width();
    area.height = size.height();
    const auto rect = [](const QRect& r) { return PixelRect{r.x(), r.y(), r.width(), r.height()}; };
    for (const QMdiSubWindow* other : mdiArea_->subWindowList()) {
        if (other == frame || other->isHidden())
            continue;
        if (other == wallFrame_)
            area.wall = rect(other->geometry());
        else
            area.open.push_back(rect(other->geometry()));
    }
    area.step = std::max(16, frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame));
    const PixelPoint corner = CascadePosition(area, frame->width(), frame->height());
    return {corner.x, corner.y};
}

// A window the table has no place for (all four values 0, as on a first
// start) joins the cascade; any window is kept inside the work area.
void MainWindow::addEditingWindow(WindowKind kind, QWidget* window, const WindowPlacement& stored,
                                  std::function<void()> activate, std::function<void(const WindowPlacement&)> unload)
{
    QMdiSubWindow* frame = addChild(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->installEventFilter(this);
    frame->adjustSize();
    const bool placeStored = stored.left != 0 || stored.top != 0 || stored.width != 0 || stored.height != 0;
    frame->move(placeStored ? pixelsOf(stored, screenDpi(this)).topLeft() : cascadePosition(frame));
    keepInsideWorkArea(frame);
    editing_[kind] = {window, frame, std::move(activate), std::move(unload)};
}

QWidget* MainWindow::editingWindow(WindowKind kind) const
{
    const auto it = editing_.find(kind);
    return it == editing_.end() ? nullptr : it->second.window.data();
}

WindowPlacement MainWindow::framePlacement(const QWidget* frame) const
{
    return twipsOf(frame->geometry(), screenDpi(this));
}

ColourWindow* MainWindow::colourWindow() const
{
    return qobject_cast<ColourWindow*>(editingWindow(WindowKind::Colour));
}

PatchWindow* MainWindow::patchWindow() const { return qobject_cast<PatchWindow*>(editingWindow(WindowKind::Patch)); }

EffectsWindow* MainWindow::effectsWindow() const
{
    return qobject_cast<EffectsWindow*>(editingWindow(WindowKind::Effects));
}

QWidget* MainWindow::childWindow(ChildWindow window) const
{
    switch (window) {
    case ChildWindow::Colour:
        return editingWindow(WindowKind::Colour);
    case ChildWindow::Patch:
        return editingWindow(WindowKind::Patch);
    case ChildWindow::Sequencer:
        return editingWindow(WindowKind::Sequencer);
    case ChildWindow::DmxTest:
        return editingWindow(WindowKind::DmxTest);
    }
    return nullptr;
}

void MainWindow::openColourWindow()
{
    if (!colourWindow()) {
        ShowBusy(program_.user());
        auto* window = new ColourWindow({program_.model(), program_.view(), program_.user(), program_.selection()});
        window->presenter().recordEdits(&program_.edits());
        addEditingWindow(
            WindowKind::Colour, window, window->presenter().storedPlacement(),
            [window] { window->presenter().Form_Activate(); },
            [window](const WindowPlacement& p) { window->presenter().Form_Unload(p); });
    }
    showChild(colourWindow());
}

void MainWindow::openPatchWindow()
{
    if (!patchWindow()) {
        ShowBusy(program_.user());
        auto* window = new PatchWindow({program_.model(), program_.view(), program_.user(), program_.selection()});
        window->presenter().recordEdits(&program_.edits());
        addEditingWindow(
            WindowKind::Patch, window, window->presenter().storedPlacement(),
            [window] { window->presenter().Form_Activate(); },
            [window](const WindowPlacement& p) { window->presenter().Form_Unload(p); });
    }
    showChild(patchWindow());
}

void MainWindow::openSequencer()
{
    if (!editingWindow(WindowKind::Sequencer)) {
        SequencerPresenter& sequencer = program_.sequencer();
        if (!sequencer.Form_Load())
            return;  // no wall: the user was told
        auto* window = new SequencerWindow(sequencer, program_.sequencerState());
        addEditingWindow(
            WindowKind::Sequencer, window, sequencer.storedPlacement(), [&sequencer] { sequencer.Form_Activate(); },
            [&sequencer](const WindowPlacement& p) { sequencer.Form_Unload(p); });
    }
    showChild(editingWindow(WindowKind::Sequencer));
}

void MainWindow::openDmxTestWindow()
{
    if (!editingWindow(WindowKind::DmxTest)) {
        DmxTestPresenter& test = program_.dmxTest();
        auto* window = new DmxTestWindow(test);
        test.Form_Load();
        addEditingWindow(
            WindowKind::DmxTest, window, test.storedPlacement(), [&test] { test.Form_Activate(); },
            [&test](const WindowPlacement& p) { test.Form_Unload(p); });
    }
    showChild(editingWindow(WindowKind::DmxTest));
}

void MainWindow::openOptionsWindow()
{
    if (!editingWindow(WindowKind::Options)) {
        ShowBusy(program_.user());
        auto* window = new OptionsWindow(program_.model(), program_.user(), program_.presenter());
        window->addPage(new RemoteOptionsTab(program_.settings(), program_.remote().server()),
                        qt(RemoteOptionsText::Tab));
        auto* control = new ControlOptionsTab(program_.settings(), program_.control().osc(), program_.control().midi());
        window->addPage(control, qt(ControlOptionsText::Tab));
        window->addPage(new MusicOptionsTab(program_.settings(), program_.engine().music(), program_.music()),
                        qt(MusicOptionsText::Tab));
        window->addPage(new TimecodeOptionsTab(program_.settings(), program_.timecode()), qt(TimecodeOptionsText::Tab));
        addEditingWindow(
            WindowKind::Options, window, window->presenter().storedPlacement(),
            [window] { window->presenter().Form_Activate(); },
            [window, control](const WindowPlacement& p) {
                control->presenter().Form_Unload();
                window->presenter().Form_Unload(p);
            });
    }
    showChild(editingWindow(WindowKind::Options));
}

// Still open as the main window closes, it opens again at the next start.
void MainWindow::openEffectsWindow()
{
    if (!effectsWindow()) {
        Program& p = program_;
        auto* window = new EffectsWindow({p.model(), p.view(), p.user(), p.presenter(), p.settings(),
                                          [&p](const std::string& song) { return p.preview().start(song); },
                                          [&p] { p.preview().stop(); }});
        EffectsPresenter& effects = window->presenter();
        effects.recordEdits(&p.edits());
        // The song's end (or STOP) lifts the window's button.
        p.preview().onEnded([&effects] { effects.musicPreviewEnded(); });
        if (!effects.Form_Load()) {
            delete window;
            return;  // no wall: the user was told
        }
        addEditingWindow(WindowKind::Effects, window, effects.storedPlacement(), {},
                         [this, &p, &effects](const WindowPlacement& placement) {
                             effects.Form_Unload(placement, closing_);  // stops a running preview
                             p.preview().onEnded({});
                         });
    }
    showChild(effectsWindow());
}

// Not in the window table: it joins the cascade each time it opens.
void MainWindow::openDmxInputWindow()
{
    if (!editingWindow(WindowKind::DmxInput)) {
        auto* window = new DmxInputWindow(program_.settings(), program_.input());
        addEditingWindow(WindowKind::DmxInput, window, {}, {},
                         [window](const WindowPlacement&) { window->presenter().Form_Unload(); });
    }
    showChild(editingWindow(WindowKind::DmxInput));
}

void MainWindow::editingWindowActivated(QMdiSubWindow* frame)
{
    if (!frame)
        return;
    for (auto& [kind, entry] : editing_)
        if (entry.frame == frame && entry.window && entry.activate)
            entry.activate();
}

// At exit the open windows store where they stood; their open bits were
// captured before, so that they open again at the next start.
void MainWindow::unloadEditingWindows()
{
    for (auto& [kind, entry] : editing_)
        if (entry.window && entry.frame && entry.unload)
            entry.unload(framePlacement(entry.frame));
}

void MainWindow::closeMainWindow() { close(); }


void MainWindow::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    if (program_.presenter().Form_QueryUnload()) {
        event->ignore();
        return;
    }
    closing_ = true;
    program_.outputTimer().setEnabled(false);
    unloadEditingWindows();
    program_.presenter().Form_Unload();
    event->accept();
}

// A right click on the free area opens the "&Datei" menu where the mouse is.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The wall window is kept for the whole run: closing hides it and keeps
    // its geometry in the window table; resizing records the new size.
    if (watched == wallFrame_ && wallFrame_) {
        if (event->type() == QEvent::Close) {
            program_.wallPresenter().Form_Unload(framePlacement(wallFrame_));
            wallFrame_->hide();
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::Resize && wallFrame_->isVisible())
            program_.wallPresenter().Form_Resize(framePlacement(wallFrame_));
        if (event->type() == QEvent::WindowActivate)
            program_.wallPresenter().Form_Activate();
        if (event->type() == QEvent::Show)
            program_.model().setState(StateFlag::WallWindowOpen);
    }
    if (event->type() == QEvent::Close && !closing_) {
        for (auto& [kind, entry] : editing_)
            if (watched == entry.frame && entry.window && entry.unload)
                entry.unload(framePlacement(entry.frame));
    }
    if (watched == mdiArea_->viewport() && event->type() == QEvent::ContextMenu) {
        fileMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tinctara
