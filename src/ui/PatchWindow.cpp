#include "PatchWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "QtText.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr const char* ColourNames[Planes] = {"ROT", "GRÜN", "BLAU", "WEISS"};

}  // namespace

PatchWindow::PatchWindow(PatchWindowPresenter::Services services, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<PatchWindowPresenter>(services, *this))
{
    nameControl(this, QStringLiteral("frmElement"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Element"));

    int labelIndex = 0;
    auto label = [this, &labelIndex](const QString& text) {
        auto* l = new QLabel(text, this);
        nameControl(l, QStringLiteral("lblElement_%1").arg(labelIndex++));
        return l;
    };
    auto field = [this](int index, const QString& spoken, const char* tip) {
        auto* edit = new QLineEdit(this);
        nameControl(edit, QStringLiteral("txtElement_%1").arg(index), spoken);
        edit->setToolTip(qt(tip));
        edit->setMaximumWidth(70);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this,
                [this, index](const QString& text) { presenter_->txtElement_Change(index, utf8(text)); });
        txtElement_[static_cast<std::size_t>(index)] = edit;
        return edit;
    };

    auto* grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("Element Nr.:")), 0, 0);
    grid->addWidget(field(0, QStringLiteral("Element Nr."), "Nr. des Elements in der Wand"), 0, 1);
    grid->addWidget(label(QStringLiteral("Farbe")), 1, 0);
    grid->addWidget(label(QStringLiteral("DMX Kanal")), 1, 1);
    for (int plane = Red; plane <= White; ++plane) {
        const QString colour = qt(ColourNames[plane - 1]);
        grid->addWidget(label(colour), plane + 1, 0);
        grid->addWidget(
            field(plane, QStringLiteral("DMX Kanal %1").arg(colour), "DMX Kanal für die entsprechende Farbe"),
            plane + 1, 1);
    }
    auto* correctionHeading = label(QStringLiteral("Farbkorrektur"));
    grid->addWidget(correctionHeading, 0, 2);
    auto* factor = new QLabel(QStringLiteral("Korrekturfaktor"), this);
    nameControl(factor, QStringLiteral("lblFarbe_5"));
    grid->addWidget(factor, 1, 2);
    for (int plane = Red; plane <= White; ++plane)
        grid->addWidget(field(plane + 4, QStringLiteral("Korrekturfaktor %1").arg(qt(ColourNames[plane - 1])),
                              "Dieser Wert wird nur am DMX Ausgang vom eigendlichen Ausgangswert abgezogen"),
                        plane + 1, 2);

    auto* copy = new QPushButton(QStringLiteral("Farbkorrektur auf alle Elemente übertragen"), this);
    nameControl(copy, QStringLiteral("cmdColorCorrektion"));
    connect(copy, &QPushButton::clicked, this, [this] { presenter_->cmdColorCorrektion_Click(); });
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    nameControl(ok, QStringLiteral("cmdOK"));
    ok->setToolTip(QStringLiteral("Fenster verlassen"));
    connect(ok, &QPushButton::clicked, this, [this] { presenter_->cmdOK_Click(); });

    lblStatus_ = new QLabel(this);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setMinimumHeight(22);
    lblStatus_->setMinimumWidth(300);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(lblStatus_);

    for (int index = 0; index + 1 < PatchText::Fields; ++index)
        setTabOrder(txtElement_[static_cast<std::size_t>(index)], txtElement_[static_cast<std::size_t>(index + 1)]);

    presenter_->Form_Load();
}

PatchWindow::~PatchWindow()
{
    // Fields lose their focus while they go; the presenter is gone by then.
    for (QLineEdit* edit : txtElement_)
        edit->removeEventFilter(this);
}

void PatchWindow::setField(int index, std::string_view text)
{
    if (index >= 0 && index < PatchText::Fields)
        txtElement_[static_cast<std::size_t>(index)]->setText(qt(text));
}

void PatchWindow::setFieldClash(int index, bool clash)
{
    if (index < 0 || index >= PatchText::Fields)
        return;
    QLineEdit* edit = txtElement_[static_cast<std::size_t>(index)];
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, clash ? QColor(255, 0, 0) : palette().color(QPalette::Base));
    edit->setPalette(colours);
}

bool PatchWindow::fieldIsRed(int index) const
{
    return txtElement_.at(static_cast<std::size_t>(index))->palette().color(QPalette::Base) == QColor(255, 0, 0);
}

void PatchWindow::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

// Inside the work area the focus is taken back only while this window is the
// active one; otherwise two windows would pull the focus to and fro.
bool PatchWindow::isActiveChild() const
{
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame || !frame->mdiArea())
        return true;
    return frame->mdiArea()->activeSubWindow() == frame;
}

void PatchWindow::focusField(int index)
{
    if (index >= 0 && index < PatchText::Fields && isActiveChild())
        txtElement_[static_cast<std::size_t>(index)]->setFocus();
}

void PatchWindow::closeWindow()
{
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
        parentWidget()->close();
    else
        close();
}

int PatchWindow::fieldIndex(const QObject* object) const
{
    for (int index = 0; index < PatchText::Fields; ++index)
        if (object == txtElement_[static_cast<std::size_t>(index)])
            return index;
    return -1;
}

bool PatchWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int field = fieldIndex(watched);
    if (field < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            pressedKeys_.append(key->key());
        break;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || !pressedKeys_.removeOne(key->key()))
            break;
        if (reachesKeyUpCheck(key))
            presenter_->txtElement_KeyUp(field, programKeyCode(key));
        break;
    }
    case QEvent::FocusIn:
        focusedField_ = watched;
        presenter_->txtElement_GotFocus(field);
        break;
    case QEvent::FocusOut:
        // A pop-up menu takes the focus only for a moment; a field that never
        // had the focus has nothing to check.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason || watched != focusedField_)
            break;
        focusedField_ = nullptr;
        presenter_->txtElement_LostFocus(field);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
