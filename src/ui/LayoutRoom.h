#pragma once

#include <QStringList>

class QLineEdit;
class QWidget;

namespace tinctara {

// The least width at which `field` shows each of `texts` and its placeholder
// whole, inside the frame and margins its style draws around the text.
int fieldWidthFor(const QLineEdit& field, const QStringList& texts);

// Keeps `field` at least that wide.
void fitFieldToTexts(QLineEdit* field, const QStringList& texts);

// The layout keeps the widget's room while it is hidden, so that nothing
// around it moves when it comes and goes.
void keepRoomWhenHidden(QWidget* widget);

}  // namespace tinctara
