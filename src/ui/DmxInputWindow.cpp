#include "DmxInputWindow.h"

#include "Accessibility.h"
#include "LayoutRoom.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr int RefreshInterval = 200;  // ms: a few times a second, whatever the desk sends
constexpr int Columns = DmxInputText::GridColumns;
constexpr int Rows = NetworkSlots / Columns;

}  // namespace

DmxLevelGrid::DmxLevelGrid(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DmxLevelGrid::setLevels(const std::array<std::uint8_t, NetworkSlots>& levels, bool live)
{
    if (levels == levels_ && live == live_)
        return;
    levels_ = levels;
    live_ = live;
    update();
}

QSize DmxLevelGrid::cellSize() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("888")) + 8, metrics.height() + 6};
}

int DmxLevelGrid::labelWidth() const { return QFontMetrics(font()).horizontalAdvance(QStringLiteral("888")) + 10; }

QSize DmxLevelGrid::sizeHint() const
{
    const QSize cell = cellSize();
    return {labelWidth() + Columns * cell.width() + 1, Rows * cell.height() + 1};
}

void DmxLevelGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSize cell = cellSize();
    const int left = labelWidth();
    const QColor background = live_ ? QColor(0x20, 0x20, 0x20) : QColor(0xd8, 0xd8, 0xd8);
    const QColor bar(0x3c, 0x78, 0xc0);
    const QColor text = live_ ? Qt::white : QColor(0x90, 0x90, 0x90);
    painter.fillRect(rect(), palette().window());
    for (int row = 0; row < Rows; ++row) {
        const int top = row * cell.height();
        // The first channel of each row.
        painter.setPen(palette().windowText().color());
        painter.drawText(QRect(0, top, left - 6, cell.height()), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(row * Columns + 1));
        for (int column = 0; column < Columns; ++column) {
            const QRect box(left + column * cell.width(), top, cell.width(), cell.height());
            const int level = levels_[static_cast<std::size_t>(row * Columns + column)];
            painter.fillRect(box, background);
            if (live_ && level > 0) {
                const int height = (box.height() * level + 254) / 255;
                painter.fillRect(QRect(box.left(), box.bottom() + 1 - height, box.width(), height), bar);
            }
            painter.setPen(text);
            painter.drawText(box, Qt::AlignCenter, QString::number(level));
        }
    }
    // Lines between the cells, stronger after every eighth channel.
    for (int column = 0; column <= Columns; ++column) {
        painter.setPen(column % 8 == 0 ? QColor(0x70, 0x70, 0x70) : QColor(0x48, 0x48, 0x48));
        const int x = left + column * cell.width();
        painter.drawLine(x, 0, x, Rows * cell.height());
    }
    painter.setPen(QColor(0x48, 0x48, 0x48));
    for (int row = 0; row <= Rows; ++row)
        painter.drawLine(left, row * cell.height(), left + Columns * cell.width(), row * cell.height());
}

bool DmxLevelGrid::event(QEvent* event)
{
    // The channel under the pointer, as the grid does not label its columns.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QSize cell = cellSize();
        const int column = (help->pos().x() - labelWidth()) / cell.width();
        const int row = help->pos().y() / cell.height();
        if (help->pos().x() >= labelWidth() && column < Columns && row < Rows) {
            const int channel = row * Columns + column + 1;
            QToolTip::showText(help->globalPos(), QStringLiteral("Kanal %1: %2").arg(channel).arg(levels_[channel - 1]),
                               this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

DmxInputWindow::DmxInputWindow(SettingsStore& store, DmxInputControl& input, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<DmxInputPresenter>(store, input, *this))
{
    nameControl(this, QStringLiteral("frmDMXEingang"));
    setWindowTitle(qt(DmxInputText::Caption));

    cboKind_ = new QComboBox(this);
    nameControl(cboKind_, QStringLiteral("cboKind"), QStringLiteral("Eingang :"));
    connect(cboKind_, &QComboBox::activated, this, [this](int index) { presenter_->cboKind_Click(index); });
    txtUniverse_ = new QLineEdit(this);
    fitFieldToTexts(txtUniverse_, {QStringLiteral("63999")});
    txtUniverse_->setMaximumWidth(90);
    nameControl(txtUniverse_, QStringLiteral("txtUniverse"), QStringLiteral("Universum :"));
    txtUniverse_->installEventFilter(this);
    connect(txtUniverse_, &QLineEdit::returnPressed, this,
            [this] { presenter_->txtUniverse_LostFocus(utf8(txtUniverse_->text())); });
    cboAddress_ = new QComboBox(this);
    nameControl(cboAddress_, QStringLiteral("cboAddress"), QStringLiteral("Adresse :"));
    connect(cboAddress_, &QComboBox::activated, this, [this](int index) { presenter_->cboAddress_Click(index); });
    cboMerge_ = new QComboBox(this);
    nameControl(cboMerge_, QStringLiteral("cboMerge"), QStringLiteral("Mischen :"));
    connect(cboMerge_, &QComboBox::activated, this, [this](int index) { presenter_->cboMerge_Click(index); });
    chkOnWall_ = new QCheckBox(qt(DmxInputText::OnWall), this);
    nameControl(chkOnWall_, QStringLiteral("chkOnWall"));
    connect(chkOnWall_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkOnWall_Click(on);
    });
    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    picLevels_ = new DmxLevelGrid(this);
    nameControl(picLevels_, QStringLiteral("picLevels"), QStringLiteral("Werte des Eingangs"));

    grdSources_ = new QTableWidget(0, 3, this);
    grdSources_->setHorizontalHeaderLabels(
        {QStringLiteral("Sender"), QStringLiteral("Priorität"), QStringLiteral("Pakete/s")});
    grdSources_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdSources_->setMinimumWidth(picLevels_->sizeHint().width() / 2);
    grdSources_->verticalHeader()->hide();
    grdSources_->setSelectionMode(QAbstractItemView::NoSelection);
    grdSources_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSources_->setFixedHeight(grdSources_->horizontalHeader()->sizeHint().height() +
                                4 * grdSources_->verticalHeader()->defaultSectionSize() + 4);
    nameControl(grdSources_, QStringLiteral("grdSources"), QStringLiteral("Sender"));
    lblCounters_ = new QLabel(this);
    lblCounters_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nameControl(lblCounters_, QStringLiteral("lblCounters"));

    auto* settings = new QHBoxLayout;
    const auto field = [settings](const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption);
        label->setBuddy(control);
        settings->addWidget(label);
        settings->addWidget(control);
        settings->addSpacing(12);
    };
    field(QStringLiteral("Eingang :"), cboKind_);
    field(QStringLiteral("Universum :"), txtUniverse_);
    field(QStringLiteral("Adresse :"), cboAddress_);
    field(QStringLiteral("Mischen :"), cboMerge_);
    settings->addWidget(chkOnWall_);
    settings->addStretch();

    // The status and the counters on one line above the grid; the senders below it.
    auto* status = new QHBoxLayout;
    status->addWidget(lblStatus_, 1);
    status->addWidget(lblCounters_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(status);
    layout->addWidget(picLevels_, 0, Qt::AlignLeft);
    layout->addWidget(grdSources_, 0, Qt::AlignLeft);
    setTabOrder(cboKind_, txtUniverse_);
    setTabOrder(txtUniverse_, cboAddress_);
    setTabOrder(cboAddress_, cboMerge_);
    setTabOrder(cboMerge_, chkOnWall_);

    presenter_->Form_Load();
    tmrRefresh_.setInterval(RefreshInterval);
    connect(&tmrRefresh_, &QTimer::timeout, this, [this] { presenter_->tmrRefresh_Timer(); });
    tmrRefresh_.start();
}

DmxInputWindow::~DmxInputWindow() = default;

void DmxInputWindow::setChoices(const std::vector<std::string>& kinds, const std::vector<std::string>& merges)
{
    cboKind_->clear();
    cboKind_->addItems(qt(kinds));
    cboMerge_->clear();
    cboMerge_->addItems(qt(merges));
}

void DmxInputWindow::setFields(const DmxInputFields& fields)
{
    cboKind_->setCurrentIndex(fields.kind);
    txtUniverse_->setText(qt(fields.universe));
    cboAddress_->clear();
    cboAddress_->addItems(qt(fields.addresses));
    cboAddress_->setCurrentIndex(fields.address);
    cboMerge_->setCurrentIndex(fields.merge);
}

void DmxInputWindow::setStatus(std::string_view text)
{
    const QString status = qt(text);
    if (lblStatus_->text() != status)
        lblStatus_->setText(status);
}

void DmxInputWindow::setCounters(std::string_view text)
{
    const QString counters = qt(text);
    if (lblCounters_->text() != counters)
        lblCounters_->setText(counters);
}

void DmxInputWindow::setSources(const std::vector<std::array<std::string, 3>>& rows)
{
    grdSources_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            auto* item = new QTableWidgetItem(qt(rows[row][column]));
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdSources_->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
}

void DmxInputWindow::setLevels(const std::array<std::uint8_t, NetworkSlots>& levels, bool live)
{
    picLevels_->setLevels(levels, live);
}

void DmxInputWindow::setOnWall(bool on)
{
    updating_ = true;
    chkOnWall_->setChecked(on);
    updating_ = false;
}

bool DmxInputWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtUniverse_ && event->type() == QEvent::FocusOut)
        presenter_->txtUniverse_LostFocus(utf8(txtUniverse_->text()));
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
