#include "RemoteOptionsTab.h"

#include "Accessibility.h"
#include "LayoutRoom.h"
#include "remote/RemoteAccess.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <qrencode.h>

namespace tinctara {

QImage remoteQrCode(const QString& text, int scale)
{
    const QByteArray bytes = text.toUtf8();
    QRcode* code = QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    constexpr int Quiet = 4;
    const int size = (code->width + 2 * Quiet) * scale;
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        image.setPixel((x + Quiet) * scale + dx, (y + Quiet) * scale + dy, qRgb(0, 0, 0));
    QRcode_free(code);
    return image;
}

RemoteOptionsTab::RemoteOptionsTab(SettingsStore& store, RemoteControl& remote, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<RemoteOptionsPresenter>(store, remote, *this))
{
    nameControl(this, QStringLiteral("fraRemote"), qt(RemoteOptionsText::Tab));
    chkRemote_ = new QCheckBox(QStringLiteral("Fernbedienung ein"), this);
    nameControl(chkRemote_, QStringLiteral("chkRemote"));
    connect(chkRemote_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkRemote_Click(on);
    });
    cboAddress_ = new QComboBox(this);
    nameControl(cboAddress_, QStringLiteral("cboAddress"), QStringLiteral("Adresse :"));
    connect(cboAddress_, &QComboBox::activated, this,
            [this] { presenter_->cboAddress_Click(utf8(cboAddress_->currentText())); });
    txtPort_ = new QLineEdit(this);
    txtPort_->setMaximumWidth(90);
    nameControl(txtPort_, QStringLiteral("txtPort"), QStringLiteral("Port :"));
    txtPort_->installEventFilter(this);
    connect(txtPort_, &QLineEdit::returnPressed, this,
            [this] { presenter_->txtPort_LostFocus(utf8(txtPort_->text())); });
    txtCode_ = new QLineEdit(this);
    txtCode_->setReadOnly(true);
    txtCode_->setMinimumWidth(220);
    nameControl(txtCode_, QStringLiteral("txtCode"), QStringLiteral("Zugangscode :"));
    auto* newCode = new QPushButton(QStringLiteral("Neuer &Code"), this);
    nameControl(newCode, QStringLiteral("cmdNewCode"));
    connect(newCode, &QPushButton::clicked, this, [this] { presenter_->cmdNewCode_Click(); });

    lblUrl_ = new QLabel(this);
    lblUrl_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    nameControl(lblUrl_, QStringLiteral("lblUrl"));
    keepRoomWhenHidden(lblUrl_);
    picQrCode_ = new QLabel(this);
    picQrCode_->setAlignment(Qt::AlignCenter);
    nameControl(picQrCode_, QStringLiteral("picQrCode"), QStringLiteral("QR-Code der Adresse"));
    // Room for the code of the longest address at full module size, kept
    // while the remote is off, so that the options window opens big enough
    // to show any code whole.
    RemoteSettings widest;
    widest.address = "255.255.255.255";
    widest.port = 65535;
    widest.code.assign(AccessCodeLength, 'x');
    picQrCode_->setMinimumSize(remoteQrCode(qt(remoteUrl(widest))).size());
    keepRoomWhenHidden(picQrCode_);
    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* code = new QHBoxLayout;
    code->addWidget(txtCode_, 1);
    code->addWidget(newCode);
    auto* form = new QFormLayout;
    form->addRow(chkRemote_);
    form->addRow(QStringLiteral("Adresse :"), cboAddress_);
    form->addRow(QStringLiteral("Port :"), txtPort_);
    form->addRow(QStringLiteral("Zugangscode :"), code);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblStatus_);
    layout->addWidget(lblUrl_);
    layout->addWidget(picQrCode_, 1);
    presenter_->Form_Load();
}

RemoteOptionsTab::~RemoteOptionsTab() = default;

void RemoteOptionsTab::setRemoteOn(bool on)
{
    updating_ = true;
    chkRemote_->setChecked(on);
    updating_ = false;
}

void RemoteOptionsTab::setAddresses(const std::vector<std::string>& addresses, const std::string& current)
{
    cboAddress_->clear();
    cboAddress_->addItems(qt(addresses));
    cboAddress_->setCurrentText(qt(current));
}

void RemoteOptionsTab::setPort(std::string_view text) { txtPort_->setText(qt(text)); }

void RemoteOptionsTab::setCode(std::string_view text) { txtCode_->setText(qt(text)); }

void RemoteOptionsTab::showUrl(std::string_view url)
{
    lblUrl_->setText(qt(url));
    lblUrl_->setVisible(!url.empty());
    const QImage code = url.empty() ? QImage() : remoteQrCode(qt(url));
    picQrCode_->setPixmap(code.isNull() ? QPixmap() : QPixmap::fromImage(code));
    picQrCode_->setMinimumSize(picQrCode_->minimumSize().expandedTo(code.size()));
    picQrCode_->setVisible(!code.isNull());
}

void RemoteOptionsTab::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

bool RemoteOptionsTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPort_ && event->type() == QEvent::FocusOut)
        presenter_->txtPort_LostFocus(utf8(txtPort_->text()));
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
