#pragma once

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace tinctara::testing {

// The width a line edit paints its text into: what the style leaves inside
// the frame, less the text margins and the two pixels kept free either side.
inline int textRoom(const QLineEdit& field)
{
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.rect = field.contentsRect();
    option.lineWidth = field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect inside =
        field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field).marginsRemoved(field.textMargins());
    return inside.width() - 2 * 2;
}

// Whether `text` stands whole in the field, the cursor after it included.
inline bool showsWhole(const QLineEdit& field, const QString& text)
{
    return field.fontMetrics().horizontalAdvance(text) + 1 <= textRoom(field);
}

}  // namespace tinctara::testing
