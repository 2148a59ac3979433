#include "dialogs/ListAccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace quvane {

namespace {

// As Qt's interface of a list, but for its name: the popup list is its one child, and Press or
// Show Menu opens and closes it.
class NamedList : public QAccessibleWidget
{
public:
    explicit NamedList(QComboBox *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->currentText();
        if (t == QAccessible::Name && !list()->accessibleName().isEmpty())
            return list()->accessibleName();
        if (t == QAccessible::Name)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::showMenuAction(),
                QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString &actionName) override
    {
        if (!actionNames().contains(actionName))
            return;
        if (list()->view()->isVisible())
            list()->hidePopup();
        else
            list()->showPopup();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QComboBox *list() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *namedLists(const QString &className, QObject *object)
{
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto *list = qobject_cast<QComboBox *>(object);
    return list && !list->isEditable() ? new NamedList(list) : nullptr;
}

} // namespace

void installListAccessibility()
{
    // Factories installed later are asked first: Qt's own answers every other class.
    QAccessible::installFactory(namedLists);
}

} // namespace quvane
