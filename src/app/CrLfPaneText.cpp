#include "app/CrLfPaneText.h"

#include <QPlainTextEdit>
#include <QVariant>

namespace
{

const char TextAsSet[] = "vxTextAsSet";

QString withQtLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

CrLfPaneText::CrLfPaneText(QPlainTextEdit* pane)
    : m_pane(pane)
{
}

void CrLfPaneText::set(const QString& text)
{
    m_pane->setProperty(TextAsSet, text);
    m_pane->setPlainText(text);
}

QString CrLfPaneText::text() const
{
    const QString set = m_pane->property(TextAsSet).toString();
    const QString shown = m_pane->toPlainText();
    if (shown == withQtLineEnds(set))
        return set;
    QString text = shown;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}
