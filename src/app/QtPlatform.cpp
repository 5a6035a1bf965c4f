#include "QtPlatform.h"

#include "QtText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeView>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tinctara {

namespace {

QMessageBox::StandardButtons standardButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box closed without a button (window manager, Escape without an escape
// button) counts as the most cautious answer of its set.
MessageAnswer dismissedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer answerOf(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return dismissedAnswer(buttons);
    }
}

// "*.CFG" -> "*.CFG *.cfg": Linux file names are case-sensitive, the show
// files' extensions come in both cases.
QString nameFilter(const FileDialogRequest& request)
{
    const QString pattern = qt(request.filter.empty() ? "*" : request.filter);
    const QString both = pattern == pattern.toLower() ? pattern : pattern + ' ' + pattern.toLower();
    return both + QLatin1String(";;*");
}

// Room for a name column of useful width beside the size, type and date.
constexpr QSize FileDialogSize(900, 520);

QString initialPath(const FileDialogRequest& request)
{
    QString folder = qt(request.initialFolder);
    QString name = qt(request.fileName);
    if (name.contains('*'))
        name.clear();
    if (folder.isEmpty())
        return name;
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}

}  // namespace

MessageAnswer QtUserInteraction::messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                            MessageIcon icon)
{
    // A carriage return separates the lines of the program's questions.
    QString body = qt(text);
    body.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
    QMessageBox box(messageIcon(icon), title.empty() ? QStringLiteral("TINCTARA") : qt(title), body,
                    standardButtons(buttons), parent_);
    box.setObjectName(QStringLiteral("MsgBox"));
    // The user answers with the ordinary pointer, even while the program is busy.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int button = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return answerOf(button, buttons);
}

void QtUserInteraction::beep() { QApplication::beep(); }

void QtUserInteraction::setBusyPointer(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else {
        while (busyDepth_ > 0) {
            QApplication::restoreOverrideCursor();
            --busyDepth_;
        }
    }
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request,
                                            QFileDialog::AcceptMode mode)
{
    auto dialog = std::make_unique<QFileDialog>(parent, qt(request.title), initialPath(request), nameFilter(request));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen)
        dialog->setFileMode(QFileDialog::ExistingFile);
    else
        dialog->setDefaultSuffix(qt(request.defaultExtension));
    dialog->setViewMode(QFileDialog::Detail);
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    dialog->resize(screen ? FileDialogSize.boundedTo(screen->availableGeometry().size()) : FileDialogSize);
    // Qt gives the columns fixed widths (its own, or what the last dialog left
    // in the user's settings) that cut sizes, types and dates; these follow
    // what they show, and the name takes the rest.
    if (auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    return dialog;
}

namespace {

std::optional<std::string> chosenFile(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    const auto dialog = makeFileDialog(parent, request, mode);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return utf8(dialog->selectedFiles().first());
}

}  // namespace

std::optional<std::string> QtUserInteraction::openFileDialog(const FileDialogRequest& request)
{
    return chosenFile(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtUserInteraction::saveFileDialog(const FileDialogRequest& request)
{
    return chosenFile(parent_, request, QFileDialog::AcceptSave);
}

void QtUserInteraction::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

void QtUserInteraction::processEventsFor(int milliseconds)
{
    QEventLoop wait;
    QTimer::singleShot(std::max(milliseconds, 0), Qt::PreciseTimer, &wait, &QEventLoop::quit);
    wait.exec();
}

std::string QtSettingsStore::read(const std::string& application, const std::string& section, const std::string& key,
                                  const std::string& defaultValue)
{
    QSettings settings(qt(application), qt(application));
    return utf8(settings.value(qt(section + "/" + key), qt(defaultValue)).toString());
}

void QtSettingsStore::write(const std::string& application, const std::string& section, const std::string& key,
                            const std::string& value)
{
    QSettings settings(qt(application), qt(application));
    settings.setValue(qt(section + "/" + key), qt(value));
}

namespace {

// A folder of this user's alone: opened without following a link, owned by
// the user and closed to everyone else.
bool isPrivateFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat folder {};
    const bool ok =
        fstat(fd, &folder) == 0 && S_ISDIR(folder.st_mode) && folder.st_uid == geteuid() && (folder.st_mode & 077) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

QString privateLockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')) && isPrivateFolder(runtime))
        return runtime;
    const QString session = QStringLiteral("/run/user/%1").arg(geteuid());
    if (isPrivateFolder(session))
        return session;
    // No session folder: one in the per-user cache, which no other user can
    // make first (a name in the temporary folder can be taken by anyone).
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.startsWith(QLatin1Char('/')))
        return {};
    QDir().mkpath(cache);
    const QString folder = cache + QStringLiteral("/tinctara");
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return isPrivateFolder(folder) ? folder : QString();
}

LinuxSystemInfo::LinuxSystemInfo()
{
    // Never a lock shared between users: without a folder of our own there is
    // no lock, and a second copy of the same user goes unnoticed.
    const QString folder = privateLockFolder();
    if (folder.isEmpty())
        return;
    instanceLock_ = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("tinctara.lock")));
    instanceLock_->setStaleLockTime(0);  // a crashed copy's lock is recognised by its dead process
    previousInstance_ = !instanceLock_->tryLock(0);
}

LinuxSystemInfo::~LinuxSystemInfo() = default;

std::uint32_t LinuxSystemInfo::osVersion()
{
    // Linux is newer than every system version the program names: major 10
    // leaves OsName empty and lets start-up go on.
    return 0x000A;
}

bool LinuxSystemInfo::previousInstanceRunning() { return previousInstance_; }

bool LinuxSystemInfo::openDocument(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qt(path)));
}

QtOutputTimer::QtOutputTimer()
{
    timer_.setInterval(50);
    timer_.setTimerType(Qt::PreciseTimer);
}

void QtOutputTimer::setEnabled(bool enabled)
{
    if (enabled && !timer_.isActive())
        timer_.start();
    else if (!enabled)
        timer_.stop();
}

}  // namespace tinctara
