#include "accessibility/AccessibleFactory.h"

#include "accessibility/LineEditAccessible.h"

#include <QLineEdit>

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    // Qt asks with the name of each class up the object's line, so the
    // program's own line edits and those in Qt's dialogs land here.
    if (className != QLatin1String("QLineEdit"))
        return nullptr;
    auto* edit = qobject_cast<QLineEdit*>(object);
    // A spin box speaks for the edit inside it, as in Qt.
    if (!edit || edit->objectName() == QLatin1String("qt_spinbox_lineedit"))
        return nullptr;
    return new LineEditAccessible(edit);
}

void installAccessibleFactory()
{
    QAccessible::installFactory(accessibleFactory);
}
