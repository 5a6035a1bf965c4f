#include "AccessibleMenus.h"

#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace tinctara {

namespace {

QRect actionRect(QWidget* owner, QAction* action)
{
    QRect local;
    if (auto* menu = qobject_cast<QMenu*>(owner))
        local = menu->actionGeometry(action);
    else if (auto* bar = qobject_cast<QMenuBar*>(owner))
        local = bar->actionGeometry(action);
    return local.isValid() ? QRect(owner->mapToGlobal(local.topLeft()), local.size()) : QRect();
}

// One entry of a menu or menu bar.
class MenuEntryInterface : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuEntryInterface(QWidget* owner, QAction* action) : owner_(owner), action_(action) {}

    bool isValid() const override { return owner_ && action_; }
    QObject* object() const override { return action_; }
    QWindow* window() const override { return owner_ ? owner_->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner_); }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && action_ && action_->menu() ? QAccessible::queryAccessibleInterface(action_->menu())
                                                        : nullptr;
    }
    int childCount() const override { return action_ && action_->menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && action_ && child->object() == action_->menu() ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (!action_)
            return {};
        switch (t) {
        case QAccessible::Name:
            return withoutAccessKey(action_->text());
        case QAccessible::Description:
            return action_->objectName();
        case QAccessible::Accelerator:
            return action_->shortcut().toString(QKeySequence::NativeText);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return isValid() ? actionRect(owner_, action_) : QRect(); }
    QAccessible::Role role() const override
    {
        return action_ && action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!action_)
            return s;
        s.disabled = !action_->isEnabled();
        s.invisible = !action_->isVisible();
        s.checkable = action_->isCheckable();
        s.checked = action_->isChecked();
        s.hasPopup = action_->menu() != nullptr;
        s.focusable = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        return action_ && action_->menu() ? QStringList{showMenuAction()} : QStringList{pressAction()};
    }
    void doAction(const QString& name) override
    {
        if (!action_ || !action_->isEnabled())
            return;
        if (name == pressAction())
            action_->trigger();
        else if (name == showMenuAction() && action_->menu())
            action_->menu()->popup(rect().bottomLeft());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> owner_;
    QPointer<QAction> action_;
};

// A menu or menu bar whose children are MenuEntryInterfaces, one per action.
class MenuInterface : public QAccessibleWidget {
public:
    MenuInterface(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    int childCount() const override { return static_cast<int>(widget()->actions().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto actions = widget()->actions();
        if (index < 0 || index >= actions.size())
            return nullptr;
        return entryFor(widget(), actions.at(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(widget()->actions().indexOf(qobject_cast<QAction*>(child->object()))) : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            if (auto* menu = qobject_cast<QMenu*>(widget()))
                return withoutAccessKey(menu->title());
        return QAccessibleWidget::text(t);
    }

private:
    // Entries are registered once per (menu, action), so their ids stay stable.
    static QAccessibleInterface* entryFor(QWidget* owner, QAction* action)
    {
        static QHash<QPair<QWidget*, QAction*>, QAccessible::Id> ids;
        const auto key = qMakePair(owner, action);
        if (const auto it = ids.constFind(key); it != ids.constEnd())
            if (QAccessibleInterface* known = QAccessible::accessibleInterface(*it))
                return known;
        auto* entry = new MenuEntryInterface(owner, action);
        ids.insert(key, QAccessible::registerAccessibleInterface(entry));
        QObject::connect(action, &QObject::destroyed, [key] { ids.remove(key); });
        QObject::connect(owner, &QObject::destroyed, [key] { ids.remove(key); });
        return entry;
    }
};

QAccessibleInterface* menuFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QMenu"))
        return new MenuInterface(widget, QAccessible::PopupMenu);
    if (className == QLatin1String("QMenuBar"))
        return new MenuInterface(widget, QAccessible::MenuBar);
    return nullptr;
}

}  // namespace

void installAutomationMenuAccessibility()
{
    if (automationEnabled())
        QAccessible::installFactory(menuFactory);
}

}  // namespace tinctara
