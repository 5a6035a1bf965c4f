#pragma once

#include <QAction>
#include <QString>
#include <QWidget>

namespace tinctara {

// Naming of controls, shared by the views and the main window.
//
// What is shown is what is read: a widget that shows text of its own (label,
// status line, button, check box, group box, window) keeps Qt's accessible
// name, which is that text and follows it as it changes. Only a widget without
// text of its own (text field, fader, picture, colour field) gets a fixed
// spoken name. Test robots find controls by name: with TINCTARA_AUTOMATION=1
// accessibleDescription() is the control name; otherwise Qt reads the tool tip.

// A widget that shows its own text: the control name as object name.
void nameControl(QWidget* widget, const QString& controlName);
// A widget without text of its own: also a fixed spoken name.
void nameControl(QWidget* widget, const QString& controlName, const QString& spokenName);
void nameAction(QAction* action, const QString& controlName);
bool automationEnabled();

// "&Datei" -> "Datei"
QString withoutAccessKey(QString caption);

// Qt tells assistive technology of a new label or button text, not of a new
// window title; this reports every title change as a name change. Call once
// after QApplication exists.
void installTitleChangeEvents();

}  // namespace tinctara
