#include "accessibility/AccessibleNames.h"

#include <QLineEdit>
#include <QVariant>
#include <QWidget>

namespace
{

const char OwnName[] = "vxOwnAccessibleName";
const char OwnDescription[] = "vxOwnAccessibleDescription";
const char SpokenName[] = "vxSpokenName";
const char SpokenHint[] = "vxSpokenKeyHint";
const char SpokenField[] = "vxSpokenField";
const char ShowsSpoken[] = "vxShowsSpokenWords";

bool hasSpoken(const QWidget* control)
{
    return control->property(SpokenName).isValid();
}

QString spokenDescription(const QWidget* control)
{
    // A field's hint is the word said for its empty value.
    const QString hint = control->property(SpokenHint).toString();
    if (control->property(SpokenField).toBool())
        return static_cast<const QLineEdit*>(control)->text().isEmpty() ? hint : QString();
    return hint;
}

// The words the control was made with are its own until said otherwise.
void keepOwn(QWidget* control)
{
    if (control->property(OwnName).isValid())
        return;
    control->setProperty(OwnName, control->accessibleName());
    control->setProperty(OwnDescription, control->accessibleDescription());
}

// Puts the set of words that is to show on the control.
void refresh(QWidget* control)
{
    const bool spoken = hasSpoken(control) && AccessibleNames::showsSpoken(control->window());
    const QString name = control->property(spoken ? SpokenName : OwnName).toString();
    const QString description = spoken ? spokenDescription(control) : control->property(OwnDescription).toString();
    // Setting a word tells a screen reader that it changed; only real changes.
    if (control->accessibleName() != name)
        control->setAccessibleName(name);
    if (control->accessibleDescription() != description)
        control->setAccessibleDescription(description);
}

} // namespace

namespace AccessibleNames {

void setOwn(QWidget* control, const QString& name, const QString& description)
{
    control->setProperty(OwnName, name);
    control->setProperty(OwnDescription, description);
    refresh(control);
}

void setOwnDescription(QWidget* control, const QString& description)
{
    keepOwn(control);
    control->setProperty(OwnDescription, description);
    refresh(control);
}

void setSpoken(QWidget* control, const QString& name, const QString& keyHint)
{
    keepOwn(control);
    control->setProperty(SpokenName, name);
    control->setProperty(SpokenHint, keyHint);
    refresh(control);
}

void setSpokenField(QLineEdit* field, const QString& label, const QString& emptyValue)
{
    field->setProperty(SpokenField, true);
    setSpoken(field, label, emptyValue);
    QObject::connect(field, &QLineEdit::textChanged, field, [field] { refresh(field); });
}

void showSpoken(QWidget* window, bool spoken)
{
    window->setProperty(ShowsSpoken, spoken);
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.prepend(window);
    for (QWidget* control : controls) {
        if (hasSpoken(control))
            refresh(control);
    }
}

bool showsSpoken(const QWidget* window)
{
    return window->property(ShowsSpoken).toBool();
}

} // namespace AccessibleNames
