// The file dialogs' detail view shows sizes, types and dates whole.
#include "QtPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace tinctara;

class FileDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir settings_;

private slots:
    // Qt's dialog keeps its column widths in the user's settings: start fresh.
    void initTestCase()
    {
        QVERIFY(settings_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
    }

    void columnsShowTheirContentsWhole_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("open") << int(QFileDialog::AcceptOpen);
        QTest::newRow("save") << int(QFileDialog::AcceptSave);
    }

    void columnsShowTheirContentsWhole()
    {
        QFETCH(int, mode);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString show = folder.filePath(QStringLiteral("SZENE1.CSC"));
        QFile file(show);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(805, 'x'));  // "805 bytes", cut to "805…tes" before
        file.close();
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Szenen")));

        FileDialogRequest request;
        request.initialFolder = folder.path().toStdString();
        request.fileName = "*.CSC";
        request.filter = "*.CSC";
        request.defaultExtension = "CSC";
        const auto dialog = makeFileDialog(nullptr, request, static_cast<QFileDialog::AcceptMode>(mode));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QRect screen = dialog->screen()->availableGeometry();
        QVERIFY(dialog->width() <= screen.width() && dialog->height() <= screen.height());

        auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(details);
        QVERIFY(details->isVisible());  // the detail view, not the list
        auto* files = qobject_cast<QFileSystemModel*>(details->model());
        QVERIFY(files);
        const QModelIndex name = files->index(show);
        QTRY_VERIFY(!files->data(name.siblingAtColumn(3)).toString().isEmpty());

        QHeaderView* header = details->header();
        const QFontMetrics metrics(details->font());
        for (int column = 1; column <= 3; ++column) {
            const QModelIndex cell = name.siblingAtColumn(column);
            const QString text = files->data(cell).toString();
            const QByteArray what = QByteArray::number(column) + " \"" + text.toUtf8() + "\"";
            QTRY_VERIFY2(header->sectionSize(column) >= details->sizeHintForIndex(cell).width(), what.constData());
            QVERIFY2(header->sectionSize(column) > metrics.horizontalAdvance(text), what.constData());
            QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column), what.constData());
        }
        // The name takes the room that is left.
        QVERIFY(header->sectionSize(0) >= details->sizeHintForIndex(name).width());
        QCOMPARE(header->sectionPosition(3) + header->sectionSize(3), details->viewport()->width());
    }
};

QTEST_MAIN(FileDialogTest)
#include "FileDialogTest.moc"
