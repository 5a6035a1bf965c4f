#pragma once

#include <QAction>
#include <QString>
#include <QWidget>

namespace tinctara {

// Gives a control its control name from the code as object name, a name a
// screen reader can speak, and, with TINCTARA_AUTOMATION=1, the control name as
// accessible description for test robots.
void nameControl(QWidget* widget, const QString& controlName, const QString& spokenName);
void nameAction(QAction* action, const QString& controlName);
bool automationEnabled();

// "&Datei" -> "Datei"
QString withoutAccessKey(QString caption);

}  // namespace tinctara
