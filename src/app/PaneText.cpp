#include "app/PaneText.h"

#include <QPlainTextEdit>

namespace
{

QString withQtLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

PaneText::PaneText(QPlainTextEdit* pane)
    : m_pane(pane)
{
}

void PaneText::set(const QString& text)
{
    m_set = text;
    m_pane->setPlainText(text);
}

QString PaneText::text() const
{
    const QString shown = m_pane->toPlainText();
    if (shown == withQtLineEnds(m_set))
        return m_set;
    QString text = shown;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}
