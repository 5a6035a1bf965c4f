#include "Accessibility.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QtGlobal>

namespace tinctara {

namespace {

class TitleChangeEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowTitleChange && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->accessibleName().isEmpty()) {
                QAccessibleEvent changed(widget, QAccessible::NameChanged);
                QAccessible::updateAccessibility(&changed);
            }
        }
        return false;
    }
};

}  // namespace

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

void nameControl(QWidget* widget, const QString& controlName)
{
    widget->setObjectName(controlName);
    if (automationEnabled())
        widget->setAccessibleDescription(controlName);
}

void nameControl(QWidget* widget, const QString& controlName, const QString& spokenName)
{
    nameControl(widget, controlName);
    widget->setAccessibleName(withoutAccessKey(spokenName));
}

void nameAction(QAction* action, const QString& controlName)
{
    // A menu entry's accessible name is its caption; with automation on, the
    // menus report the object name as its description (AccessibleMenus).
    action->setObjectName(controlName);
}

void installTitleChangeEvents()
{
    static TitleChangeEvents* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new TitleChangeEvents(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace tinctara
