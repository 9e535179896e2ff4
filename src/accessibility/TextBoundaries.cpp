#include "accessibility/TextBoundaries.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace
{

QList<int> finderEdges(const QString& text, QTextBoundaryFinder::BoundaryType type, bool startsOnly)
{
    QList<int> edges{0};
    QTextBoundaryFinder finder(type, text);
    for (int at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        // Between two words lie spaces and punctuation that belong to the
        // word before them.
        if (!startsOnly || finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem))
            edges.append(at);
    }
    if (edges.last() != text.size())
        edges.append(int(text.size()));
    return edges;
}

QList<int> edgesOf(const QString& text, QAccessible::TextBoundaryType type)
{
    switch (type) {
    case QAccessible::CharBoundary:
        return finderEdges(text, QTextBoundaryFinder::Grapheme, false);
    case QAccessible::WordBoundary:
        return finderEdges(text, QTextBoundaryFinder::Word, true);
    case QAccessible::SentenceBoundary:
        return finderEdges(text, QTextBoundaryFinder::Sentence, false);
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
    case QAccessible::NoBoundary:
        break;
    }
    // A line edit holds one line and one paragraph.
    return text.isEmpty() ? QList<int>{0} : QList<int>{0, int(text.size())};
}

} // namespace

TextBoundaries::TextBoundaries(const QString& text, QAccessible::TextBoundaryType type)
    : m_length(int(text.size())), m_emptyAtEnd(type == QAccessible::CharBoundary),
      m_edges(edgesOf(text, type))
{
}

TextSpan TextBoundaries::at(int offset) const
{
    if (offset == -1)
        offset = m_length;
    if (offset < 0 || offset > m_length)
        return {};
    if (m_length == 0)
        return {0, 0};
    if (offset == m_length) {
        if (m_emptyAtEnd)
            return {m_length, m_length};
        --offset;
    }
    const auto next = std::upper_bound(m_edges.cbegin(), m_edges.cend(), offset);
    return {*(next - 1), *next};
}

TextSpan TextBoundaries::before(int offset) const
{
    const TextSpan here = at(offset);
    if (here.start <= 0)
        return here.start < 0 ? here : TextSpan{0, 0};
    const auto start = std::lower_bound(m_edges.cbegin(), m_edges.cend(), here.start);
    return {*(start - 1), here.start};
}

TextSpan TextBoundaries::after(int offset) const
{
    const TextSpan here = at(offset);
    if (here.start < 0)
        return here;
    if (here.end >= m_length)
        return {m_length, m_length};
    const auto next = std::upper_bound(m_edges.cbegin(), m_edges.cend(), here.end);
    return {here.end, *next};
}
