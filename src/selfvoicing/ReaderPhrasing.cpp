#include "selfvoicing/ReaderPhrasing.h"

#include "speech/Announce.h"
#include "ui/AccessKey.h"

#include <QRegularExpression>

namespace ReaderPhrasing
{

Kind kindOf(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return Kind::Button;
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
        return Kind::Field;
    case QAccessible::ComboBox:
        return Kind::Choice;
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
        return Kind::List;
    default:
        return Kind::Other;
    }
}

QString plainCaption(const QString& caption)
{
    // Japanese captions put the access key in brackets behind the word; the
    // accessible name keeps the brackets with the marker gone.
    static const QRegularExpression markedKey(QStringLiteral(R"([(（]&[^)）][)）])"));
    static const QRegularExpression bracketedKey(
        QStringLiteral(R"([(（][A-Za-z0-9][)）](?=(?:\.\.\.|…|[:：]|\s)*$))"));
    static const QRegularExpression trailer(QStringLiteral(R"((?:\.\.\.|…|[:：]|\s)+$)"));
    QString text = caption.section(u'\t', 0, 0);
    text.remove(markedKey);
    text.remove(bracketedKey);
    text.remove(trailer);
    return withoutAccessKeyMarker(text).trimmed();
}

QString button(const QString& caption)
{
    return AnnouncementText::button(plainCaption(caption));
}

QString menu(const QString& title)
{
    return AnnouncementText::menu(plainCaption(title));
}

QString field(const QString& label, const QString& text)
{
    return AnnouncementText::field(plainCaption(label), text);
}

QString choice(const QString& label, const QString& entry)
{
    return AnnouncementText::joined(plainCaption(label), entry);
}

QString list(const QString& label, const QString& entry)
{
    return AnnouncementText::list(plainCaption(label), entry);
}

QString other(const QString& name, const QString& value)
{
    const QString plain = plainCaption(name);
    return AnnouncementText::joined(plain, value == plain ? QString() : value);
}

QString entry(const QString& name, bool folder)
{
    return AnnouncementText::entry(name, folder);
}

} // namespace ReaderPhrasing
