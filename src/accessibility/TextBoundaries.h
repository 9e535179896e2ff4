#pragma once

#include <QAccessible>
#include <QList>
#include <QString>

struct TextSpan {
    int start = -1;
    int end = -1;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The characters, words, sentences or lines of one line of text, as a screen
// reader walks them. Every answer is found by a search in a list built once,
// so no offset, not even the end of the text, can keep it looking.
//
// A word runs from one word start to the next, spaces after it included, as
// the desktop's toolkits have it; the screen reader reads the word at the
// text's end when the caret is there. A character at the end is empty.
class TextBoundaries
{
public:
    TextBoundaries(const QString& text, QAccessible::TextBoundaryType type);

    // Offset -1 stands for the end of the text. An offset outside the text
    // gives {-1, -1}.
    TextSpan at(int offset) const;
    TextSpan before(int offset) const;
    TextSpan after(int offset) const;

private:
    int m_length;
    bool m_emptyAtEnd;
    // Where items start, ascending, from 0 to the text's length.
    QList<int> m_edges;
};
