#include "InfoWindow.h"

#include "Accessibility.h"
#include "model/ShowOperations.h"
#include "platform/UserInteraction.h"
#include "windows/InfoPresenter.h"
#include "QtText.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tinctara {

QPixmap tinctaraLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor lamps[] = {QColor(230, 40, 40),   QColor(40, 200, 60),   QColor(50, 90, 230),
                            QColor(250, 250, 235), QColor(250, 180, 30),  QColor(180, 60, 220),
                            QColor(30, 200, 210),  QColor(255, 110, 150), QColor(120, 230, 90)};
    const double cell = size / 3.0;
    for (int i = 0; i < 9; ++i) {
        const QRectF lamp((i % 3) * cell + cell * 0.1, (i / 3) * cell + cell * 0.1, cell * 0.8, cell * 0.8);
        painter.setPen(QPen(QColor(30, 30, 30), size / 48.0));
        painter.setBrush(lamps[i]);
        painter.drawRoundedRect(lamp, cell * 0.15, cell * 0.15);
    }
    return pixmap;
}

InfoWindow::InfoWindow(const std::string& versionText, UserInteraction& user, QWidget* parent)
    : QDialog(parent), user_(user)
{
    setAttribute(Qt::WA_DeleteOnClose);
    nameControl(this, QStringLiteral("frmInfo"));
    setWindowTitle(qt(InfoWindowText::Caption));

    auto* picture = new QLabel(this);
    picture->setPixmap(tinctaraLogo(96));
    nameControl(picture, QStringLiteral("picInfo"), QStringLiteral("Tinctara Logo"));

    lblInfo_ = new QLabel(this);
    QString text = qt(infoText(versionText));
    text.replace('\r', '\n');
    lblInfo_->setText(text);
    QFont heading = lblInfo_->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.1);
    lblInfo_->setFont(heading);
    nameControl(lblInfo_, QStringLiteral("lblInfo_1"));

    auto* firma = new QLabel(qt(InfoWindowText::Firma), this);
    nameControl(firma, QStringLiteral("lblFirma"));

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    nameControl(line, QStringLiteral("Line1"), QStringLiteral("Trennlinie"));

    cmdInfo_ = new QPushButton(qt(InfoWindowText::OkCaption), this);
    cmdInfo_->setDefault(true);
    nameControl(cmdInfo_, QStringLiteral("cmdInfo"));
    connect(cmdInfo_, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addWidget(lblInfo_, 1, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addWidget(firma);
    layout->addWidget(cmdInfo_, 0, Qt::AlignRight);

    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

bool InfoWindow::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        ShowIdle(user_);
    return QDialog::event(e);
}

void InfoWindow::AutoUnload()
{
    QPointer<InfoWindow> self(this);
    show();
    QEventLoop wait;
    QTimer::singleShot(InfoWindowText::AutoUnloadSeconds * 1000, Qt::PreciseTimer, &wait, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &wait, &QEventLoop::quit);
    wait.exec();
    if (self)
        close();
}

}  // namespace tinctara
