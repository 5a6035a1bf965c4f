#include "InterfaceDialog.h"

#include "Accessibility.h"
#include "LayoutRoom.h"
#include "QtText.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tinctara {

namespace {
constexpr QSize PictureSize(320, 240);

// The widest text each network field has to show whole: an IPv4 address, the
// largest universe or port address, the largest priority, a source name of
// twenty capitals.
QStringList widestNetworkTexts(int field)
{
    using P = InterfaceSelectionPresenter;
    switch (field) {
    case P::DestinationField:
        return {QStringLiteral("255.255.255.255")};
    case P::UniverseField:
        return {QStringLiteral("63999"), QStringLiteral("32767")};
    case P::PriorityField:
        return {QStringLiteral("200")};
    case P::SourceNameField:
        return {QString(20, QLatin1Char('X'))};
    default:
        return {};
    }
}
}  // namespace

InterfaceDialog::InterfaceDialog(InterfaceSelectionServices services, QWidget* parent)
    : QDialog(parent), presenter_(std::make_unique<InterfaceSelectionPresenter>(services, *this))
{
    using P = InterfaceSelectionPresenter;
    nameControl(this, QStringLiteral("frmIFS"));
    setWindowTitle(QString::fromLatin1(P::Caption));
    setModal(true);

    tabs_ = new QTabBar(this);
    nameControl(tabs_, QStringLiteral("tabs_ifselect"), QStringLiteral("Interface"));
    tabs_->setToolTip(QString::fromLatin1(P::TabsToolTip));
    for (const auto& tab : P::TabInfo) {
        const int index = tabs_->addTab(QString::fromLatin1(tab.caption));
        tabs_->setTabToolTip(index, qt(tab.toolTip));
    }
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!selecting_)
            presenter_->tabs_ifselect_Click(index + 1);
    });

    auto* frame = new QGroupBox(QString::fromLatin1(P::FrameCaption), this);
    nameControl(frame, QStringLiteral("frame_ifselect"));

    picture_ = new QLabel(frame);
    picture_->setFixedSize(PictureSize);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFrameShape(QFrame::Panel);
    picture_->setFrameShadow(QFrame::Sunken);
    nameControl(picture_, QStringLiteral("Picture1"), QStringLiteral("Foto des Interfaces"));

    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(frame);
        label->setWordWrap(true);
        label->setMinimumWidth(260);
        nameControl(label, QStringLiteral("Label%1").arg(i + 1));
        labels_[static_cast<std::size_t>(i)] = label;
    }
    QFont heading = labels_[0]->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    labels_[0]->setFont(heading);
    labels_[2]->setStyleSheet(QStringLiteral("font-weight: bold"));

    // The settings of the network kinds, in place of nothing on the device tabs.
    network_ = new QGroupBox(QStringLiteral("Netzwerk"), frame);
    nameControl(network_, QStringLiteral("fraNetwork"));
    auto* form = new QFormLayout(network_);
    for (int i = 0; i < P::NetworkFields; ++i) {
        const auto n = static_cast<std::size_t>(i);
        lblNetwork_[n] = new QLabel(network_);
        nameControl(lblNetwork_[n], QStringLiteral("lblNetwork_%1").arg(i));
        txtNetwork_[n] = new QLineEdit(network_);
        nameControl(txtNetwork_[n], QStringLiteral("txtNetwork_%1").arg(i));
        lblNetwork_[n]->setBuddy(txtNetwork_[n]);
        // The captions change with the tab; the column takes the wider one, so
        // that the fields stand still.
        const QFontMetrics metrics = lblNetwork_[n]->fontMetrics();
        int caption = 0;
        for (const auto& captions : P::NetworkLabels)
            caption = std::max(caption, metrics.horizontalAdvance(qt(captions[i])));
        lblNetwork_[n]->setMinimumWidth(caption);
        connect(txtNetwork_[n], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { presenter_->txtNetwork_Change(i, utf8(text)); });
        form->addRow(lblNetwork_[n], txtNetwork_[n]);
    }
    txtNetwork_[P::DestinationField]->setPlaceholderText(QStringLiteral("z. B. 192.168.1.20"));
    for (int i = 0; i < P::NetworkFields; ++i)
        fitFieldToTexts(txtNetwork_[static_cast<std::size_t>(i)], widestNetworkTexts(i));
    // Every tab keeps the room of all four rows, so that the dialog opens big
    // enough for the network tabs and keeps its width from tab to tab.
    network_->setMinimumSize(network_->sizeHint());
    keepRoomWhenHidden(network_);
    network_->hide();

    auto* texts = new QVBoxLayout;
    texts->addWidget(labels_[0]);
    texts->addWidget(labels_[1]);
    texts->addWidget(network_);
    texts->addStretch();
    texts->addWidget(labels_[2]);
    texts->addWidget(labels_[3]);
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(picture_, 0, Qt::AlignTop);
    frameLayout->addLayout(texts, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    nameControl(ok, QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    nameControl(cancel, QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, [this] { presenter_->cmdOK_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { presenter_->cmdCancel_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    presenter_->Form_Load();
}

InterfaceDialog::~InterfaceDialog() = default;

void InterfaceDialog::setLabel(int label, std::string_view text)
{
    if (label >= 1 && label <= 4)
        labels_[static_cast<std::size_t>(label - 1)]->setText(qt(text));
}

void InterfaceDialog::showPicture(const std::string& path)
{
    const QPixmap photo(qt(path));
    if (photo.isNull()) {
        picture_->clear();
        return;
    }
    picture_->setPixmap(photo.scaled(PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void InterfaceDialog::selectTab(int tab)
{
    selecting_ = true;
    tabs_->setCurrentIndex(tab - 1);
    selecting_ = false;
}

void InterfaceDialog::showNetworkFields(bool visible, bool sacn)
{
    using P = InterfaceSelectionPresenter;
    for (int i = 0; i < P::NetworkFields; ++i) {
        const auto n = static_cast<std::size_t>(i);
        const QString caption = qt(P::NetworkLabels[sacn ? 0 : 1][i]);
        lblNetwork_[n]->setText(caption);
        const bool shown = !caption.isEmpty();
        lblNetwork_[n]->setVisible(shown);
        txtNetwork_[n]->setVisible(shown);
    }
    network_->setVisible(visible);
}

void InterfaceDialog::setNetworkField(int field, std::string_view text)
{
    if (field >= 0 && field < InterfaceSelectionPresenter::NetworkFields)
        txtNetwork_[static_cast<std::size_t>(field)]->setText(qt(text));
}

void InterfaceDialog::closeDialog() { accept(); }

// Ctrl+Tab would otherwise move the focus; it goes to the tab strip instead.
bool InterfaceDialog::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier)) {
            presenter_->tabs_ifselect_KeyDown(9, true);
            return true;
        }
    }
    const bool handled = QDialog::event(event);
    // A tab whose texts wrap into more lines than the dialog has room for
    // makes it taller; else the layout would squeeze the fields under the text.
    if (event->type() == QEvent::LayoutRequest && layout() && layout()->hasHeightForWidth()) {
        const int needed = layout()->totalHeightForWidth(width());
        if (needed > height())
            resize(width(), needed);
    }
    return handled;
}

void InterfaceDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

}  // namespace tinctara
