#include "Accessibility.h"

#include <QtGlobal>

namespace tinctara {

bool automationEnabled()
{
    static const bool enabled = qEnvironmentVariable("TINCTARA_AUTOMATION") == QLatin1String("1");
    return enabled;
}

QString withoutAccessKey(QString caption)
{
    caption.replace(QLatin1String("&&"), QLatin1String("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return caption.trimmed();
}

void nameControl(QWidget* widget, const QString& controlName, const QString& spokenName)
{
    widget->setObjectName(controlName);
    widget->setAccessibleName(withoutAccessKey(spokenName));
    if (automationEnabled())
        widget->setAccessibleDescription(controlName);
}

void nameAction(QAction* action, const QString& controlName)
{
    // A menu entry's accessible name is its caption; with automation on, the
    // menus report the object name as its description (AccessibleMenus).
    action->setObjectName(controlName);
}

}  // namespace tinctara
