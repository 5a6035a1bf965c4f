#include "EffectsWindow.h"

#include "Accessibility.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr int PreviewPeriodMs = 50;  // the output tick

}  // namespace

EffectPreview::EffectPreview(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 120);
}

void EffectPreview::setWall(const EffectWall& wall)
{
    wall_ = wall;
    update();
}

void EffectPreview::setColours(const std::vector<Rgb>& colours)
{
    colours_ = colours;
    update();
}

void EffectPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x40, 0x40, 0x40));
    if (wall_.columns <= 0 || wall_.rows <= 0)
        return;
    // Cells of the wall's shape, as large as the widget allows.
    const double aspect = wall_.cellAspect > 0 ? wall_.cellAspect : 1.0;
    const double cell =
        std::min(static_cast<double>(width()) / wall_.columns, static_cast<double>(height()) / (wall_.rows * aspect));
    const double cellHeight = cell * aspect;
    const double left = (width() - cell * wall_.columns) / 2;
    const double top = (height() - cellHeight * wall_.rows) / 2;
    const double gap = cell > 8 ? 2 : 0;
    for (int e = 0; e < wall_.elements(); ++e) {
        const ElementPosition p = wall_.positions[static_cast<std::size_t>(e)];
        const Rgb c = e < static_cast<int>(colours_.size()) ? colours_[static_cast<std::size_t>(e)] : Rgb{};
        painter.fillRect(QRectF(left + (p.column - 1) * cell + gap / 2, top + (p.row - 1) * cellHeight + gap / 2,
                                cell - gap, cellHeight - gap),
                         QColor(c.red, c.green, c.blue));
    }
}

EffectsWindow::EffectsWindow(EffectsPresenter::Services services, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<EffectsPresenter>(services, *this))
{
    using namespace EffectsText;
    updating_ = true;
    nameControl(this, QStringLiteral("frmEffekte"));
    setWindowTitle(qt(Caption));

    const auto combo = [this](const char* name, const char* spoken, const char* const* items, int count) {
        auto* box = new QComboBox(this);
        for (int i = 0; i < count; ++i)
            box->addItem(qt(items[i]));
        nameControl(box, QString::fromLatin1(name), qt(spoken));
        return box;
    };
    cboArt_ = combo("cboArt", "Art des Effekts", KindNames, Kinds);
    cboRichtung_ = combo("cboRichtung", "Richtung", DirectionNames, Directions);
    cboMuster_ = combo("cboMuster", "Lauflicht-Muster", PatternNames, Patterns);
    cboEinpassen_ = combo("cboEinpassen", "Bild einpassen", FitNames, Fits);
    cboRichtung_->setCurrentIndex(1);
    cboMuster_->setCurrentIndex(2);
    for (int i = 0; i < ColourChoices; ++i) {
        cboFarbe_[i] = new QComboBox(this);
        nameControl(cboFarbe_[i], QStringLiteral("cboFarbe_%1").arg(i), QStringLiteral("Farbe %1").arg(i + 1));
        connect(cboFarbe_[i], &QComboBox::currentIndexChanged, this, [this, i](int choice) {
            if (!updating_)
                presenter_->cboFarbe_Click(i, choice);
        });
    }
    connect(cboArt_, &QComboBox::currentIndexChanged, this, [this](int kind) {
        if (!updating_)
            presenter_->cboArt_Click(kind);
    });
    connect(cboRichtung_, &QComboBox::currentIndexChanged, this, [this](int v) {
        if (!updating_)
            presenter_->cboRichtung_Click(v);
    });
    connect(cboMuster_, &QComboBox::currentIndexChanged, this, [this](int v) {
        if (!updating_)
            presenter_->cboMuster_Click(v);
    });
    connect(cboEinpassen_, &QComboBox::currentIndexChanged, this, [this](int v) {
        if (!updating_)
            presenter_->cboEinpassen_Click(v);
    });

    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field, const QString& controlName) {
        auto* label = new QLabel(caption, this);
        nameControl(label, controlName);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
        return label;
    };
    addRow(QStringLiteral("Art"), cboArt_, QStringLiteral("lblArt"));
    for (int i = 0; i < Fields; ++i) {
        QLineEdit* edit = textField(this, QStringLiteral("txtEffekt_%1").arg(i), FieldHeadings[i],
                                    &EffectsPresenter::txtEffekt_Change, i);
        txtEffekt_[i] = edit;
        if (i == PictureField) {
            auto* box = new QWidget(this);
            auto* line = new QHBoxLayout(box);
            line->setContentsMargins(0, 0, 0, 0);
            cmdDatei_ = new QPushButton(qt(FileButton), box);
            nameControl(cmdDatei_, QStringLiteral("cmdDatei"));
            connect(cmdDatei_, &QPushButton::clicked, this, [this] { presenter_->cmdDatei_Click(); });
            line->addWidget(edit, 1);
            line->addWidget(cmdDatei_);
            lblEffekt_[i] = addRow(qt(FieldHeadings[i]), box, QStringLiteral("lblEffekt_%1").arg(i));
        } else {
            lblEffekt_[i] = addRow(qt(FieldHeadings[i]), edit, QStringLiteral("lblEffekt_%1").arg(i));
        }
    }
    addRow(QStringLiteral("Richtung"), cboRichtung_, QStringLiteral("lblRichtung"));
    addRow(QStringLiteral("Muster"), cboMuster_, QStringLiteral("lblMuster"));
    addRow(QStringLiteral("Einpassen"), cboEinpassen_, QStringLiteral("lblEinpassen"));
    addRow(QStringLiteral("Farbe 1"), cboFarbe_[0], QStringLiteral("lblFarbe_0"));
    addRow(QStringLiteral("Farbe 2"), cboFarbe_[1], QStringLiteral("lblFarbe_1"));
    chkWeiss_ = new QCheckBox(qt(WhiteOption), this);
    chkWeiss_->setToolTip(qt(WhiteTip));
    nameControl(chkWeiss_, QStringLiteral("chkWeiss"));
    connect(chkWeiss_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkWeiss_Click(on);
    });
    grid->addWidget(chkWeiss_, row++, 1);

    picVorschau_ = new EffectPreview(this);
    nameControl(picVorschau_, QStringLiteral("picVorschau"), QStringLiteral("Vorschau"));
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < Buttons; ++i) {
        auto* button = new QPushButton(qt(ButtonCaptions[i]), this);
        button->setToolTip(qt(ButtonTips[i]));
        nameControl(button, QStringLiteral("cmdEffekt_%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { presenter_->cmdEffekt_Click(i); });
        cmdEffekt_[i] = button;
        buttons->addWidget(button);
    }
    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    lblStatus_->setFrameShape(QFrame::Panel);
    lblStatus_->setFrameShadow(QFrame::Sunken);
    lblStatus_->setMinimumHeight(lblStatus_->fontMetrics().height() * 2 + 6);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* right = new QVBoxLayout;
    right->addWidget(picVorschau_, 1);
    right->addLayout(buttons);
    right->addWidget(buildMusicGroup());
    auto* columns = new QHBoxLayout;
    columns->addLayout(grid);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(lblStatus_);

    timVorschau_ = new QTimer(this);
    timVorschau_->setInterval(PreviewPeriodMs);
    connect(timVorschau_, &QTimer::timeout, this, [this] {
        timVorschau_->setInterval(PreviewPeriodMs);
        presenter_->timVorschau_Timer();
    });
    updating_ = false;
}

EffectsWindow::~EffectsWindow() = default;

QLineEdit* EffectsWindow::textField(QWidget* parent, const QString& name, const char* heading,
                                    void (EffectsPresenter::*change)(int, std::string_view), int index)
{
    auto* edit = new QLineEdit(parent);
    nameControl(edit, name, qt(heading));
    connect(edit, &QLineEdit::textChanged, this, [this, change, index](const QString& text) {
        if (!updating_)
            (presenter_.get()->*change)(index, utf8(text));
    });
    return edit;
}

QWidget* EffectsWindow::buildMusicGroup()
{
    using namespace EffectsText;
    auto* group = new QGroupBox(qt(MusicGroup), this);
    nameControl(group, QStringLiteral("fraMusik"));
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < MusicFields; ++i)
        txtMusik_[i] = textField(group, QStringLiteral("txtMusik_%1").arg(i), MusicFieldHeadings[i],
                                 &EffectsPresenter::txtMusik_Change, i);
    cboBeats_ = new QComboBox(group);
    for (const int beats : EveryBeats)
        cboBeats_->addItem(QString::number(beats));
    nameControl(cboBeats_, QStringLiteral("cboBeats"), qt(EveryBeatsHeading));
    connect(cboBeats_, &QComboBox::currentIndexChanged, this, [this](int choice) {
        if (!updating_)
            presenter_->cboBeats_Click(choice);
    });
    cmdLied_ = new QPushButton(qt(SongButton), group);
    cmdLied_->setToolTip(qt(SongTip));
    cmdLied_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    cmdLied_->setFixedWidth(cmdLied_->fontMetrics().horizontalAdvance(cmdLied_->text()) + 24);
    nameControl(cmdLied_, QStringLiteral("cmdLied"));
    connect(cmdLied_, &QPushButton::clicked, this, [this] { presenter_->cmdLied_Click(); });

    const auto label = [&](const char* caption, QWidget* buddy, const QString& name) {
        auto* text = new QLabel(qt(caption), group);
        nameControl(text, name);
        text->setBuddy(buddy);
        return text;
    };
    // Beside the preview, so that the window grows no taller.
    auto* song = new QHBoxLayout;
    song->setContentsMargins(0, 0, 0, 0);
    song->addWidget(txtMusik_[SongField], 1);
    song->addWidget(cmdLied_);
    grid->addWidget(label(MusicFieldHeadings[SongField], txtMusik_[SongField], QStringLiteral("lblMusik_0")), 0, 0);
    grid->addLayout(song, 0, 1);
    grid->addWidget(label(EveryBeatsHeading, cboBeats_, QStringLiteral("lblBeats")), 1, 0);
    grid->addWidget(cboBeats_, 1, 1);
    for (int i = BeatBlendField; i <= SongStartField; ++i) {
        grid->addWidget(label(MusicFieldHeadings[i], txtMusik_[i], QStringLiteral("lblMusik_%1").arg(i)), i + 1, 0);
        grid->addWidget(txtMusik_[i], i + 1, 1);
    }
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < MusicButtons; ++i) {
        auto* button = new QPushButton(qt(MusicButtonCaptions[i]), group);
        button->setToolTip(qt(MusicButtonTips[i]));
        nameControl(button, QStringLiteral("cmdMusik_%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { presenter_->cmdMusik_Click(i); });
        cmdMusik_[i] = button;
        buttons->addWidget(button);
    }
    cmdMusik_[MusicPreviewButton]->setCheckable(true);
    cmdMusik_[MusicPreviewButton]->setEnabled(false);  // until a preview is there
    buttons->addStretch(1);
    grid->addLayout(buttons, 4, 0, 1, 2);
    return group;
}

void EffectsWindow::outputTicked()
{
    if (!shown_)
        return;
    timVorschau_->start(PreviewPeriodMs * 3 / 2);
    presenter_->timVorschau_Timer();
}

// The preview runs only while the window can be seen.
void EffectsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shown_ = true;
    timVorschau_->start(PreviewPeriodMs);
}

void EffectsWindow::hideEvent(QHideEvent* event)
{
    shown_ = false;
    timVorschau_->stop();
    QWidget::hideEvent(event);
}

void EffectsWindow::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

void EffectsWindow::setField(int index, std::string_view text)
{
    updating_ = true;
    txtEffekt_.at(static_cast<std::size_t>(index))->setText(qt(text));
    updating_ = false;
}

void EffectsWindow::setFieldEnabled(int index, bool enabled)
{
    txtEffekt_.at(static_cast<std::size_t>(index))->setEnabled(enabled);
    lblEffekt_.at(static_cast<std::size_t>(index))->setEnabled(enabled);
    if (index == PictureField)
        cmdDatei_->setEnabled(enabled);
}

void EffectsWindow::setChoicesEnabled(bool direction, bool pattern, bool fit, bool colours)
{
    cboRichtung_->setEnabled(direction);
    cboMuster_->setEnabled(pattern);
    cboEinpassen_->setEnabled(fit);
    for (QComboBox* box : cboFarbe_)
        box->setEnabled(colours);
}

void EffectsWindow::setColourChoices(const std::vector<std::string>& names)
{
    updating_ = true;
    for (QComboBox* box : cboFarbe_) {
        const int current = box->currentIndex();
        box->clear();
        for (const std::string& name : names)
            box->addItem(qt(name));
        box->setCurrentIndex(std::max(current, 0));
    }
    updating_ = false;
}

void EffectsWindow::setPreviewWall(const EffectWall& wall) { picVorschau_->setWall(wall); }

void EffectsWindow::showPreview(const std::vector<Rgb>& colours) { picVorschau_->setColours(colours); }

void EffectsWindow::setMusicField(int index, std::string_view text)
{
    updating_ = true;
    txtMusik_.at(static_cast<std::size_t>(index))->setText(qt(text));
    updating_ = false;
}

void EffectsWindow::setEveryBeats(int choice)
{
    updating_ = true;
    cboBeats_->setCurrentIndex(choice);
    updating_ = false;
}

void EffectsWindow::setAnalysing(bool analysing) { cmdMusik_[LayOntoMusicButton]->setEnabled(!analysing); }

void EffectsWindow::setMusicPreview(bool available, bool running)
{
    cmdMusik_[MusicPreviewButton]->setEnabled(available);
    cmdMusik_[MusicPreviewButton]->setChecked(running);
}

// On the analysis thread: the presenter goes on on the window's.
void EffectsWindow::musicAnalysisFinished()
{
    QMetaObject::invokeMethod(
        this, [this] { presenter_->musicAnalysed(); }, Qt::QueuedConnection);
}

}  // namespace tinctara
