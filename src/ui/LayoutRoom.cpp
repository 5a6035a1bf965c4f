#include "LayoutRoom.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace tinctara {

int fieldWidthFor(const QLineEdit& field, const QStringList& texts)
{
    const QFontMetrics metrics = field.fontMetrics();
    int widest = metrics.horizontalAdvance(field.placeholderText());
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    // A line edit keeps two pixels free on either side of its text, and the
    // cursor after the last letter takes one more.
    constexpr int SideMargin = 2;
    constexpr int Cursor = 1;
    const QMargins margins = field.textMargins() + field.contentsMargins();
    const int inner = widest + 2 * SideMargin + Cursor + margins.left() + margins.right();

    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QSize needed(inner, metrics.height());
    return field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, needed, &field).width();
}

void fitFieldToTexts(QLineEdit* field, const QStringList& texts)
{
    field->setMinimumWidth(fieldWidthFor(*field, texts));
}

void keepRoomWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace tinctara
