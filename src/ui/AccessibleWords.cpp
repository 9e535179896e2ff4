#include "ui/AccessibleWords.h"

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

void apply(QWidget* control, bool spoken)
{
    if (!hasSpoken(control))
        return;
    const QString name = control->property(spoken ? SpokenName : OwnName).toString();
    const QString description = spoken ? spokenDescription(control) : control->property(OwnDescription).toString();
    // Setting a word tells a screen reader that it changed; only real changes.
    if (control->accessibleName() != name)
        control->setAccessibleName(name);
    if (control->accessibleDescription() != description)
        control->setAccessibleDescription(description);
}

} // namespace

namespace AccessibleWords {

void setOwn(QWidget* control, const QString& name, const QString& description)
{
    control->setProperty(OwnName, name);
    control->setProperty(OwnDescription, description);
    if (!hasSpoken(control) || !showsSpoken(control->window())) {
        control->setAccessibleName(name);
        control->setAccessibleDescription(description);
    }
}

void setOwnDescription(QWidget* control, const QString& description)
{
    setOwn(control, control->property(OwnName).isValid() ? control->property(OwnName).toString()
                                                          : control->accessibleName(),
           description);
}

void setSpoken(QWidget* control, const QString& name, const QString& keyHint)
{
    if (!control->property(OwnName).isValid())
        setOwn(control, control->accessibleName(), control->accessibleDescription());
    control->setProperty(SpokenName, name);
    control->setProperty(SpokenHint, keyHint);
    apply(control, showsSpoken(control->window()));
}

void setSpokenField(QLineEdit* field, const QString& label, const QString& emptyValue)
{
    field->setProperty(SpokenField, true);
    setSpoken(field, label, emptyValue);
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        if (showsSpoken(field->window()))
            apply(field, true);
    });
}

void showSpoken(QWidget* window, bool spoken)
{
    window->setProperty(ShowsSpoken, spoken);
    apply(window, spoken);
    for (QWidget* control : window->findChildren<QWidget*>())
        apply(control, spoken);
}

bool showsSpoken(const QWidget* window)
{
    return window->property(ShowsSpoken).toBool();
}

} // namespace AccessibleWords
