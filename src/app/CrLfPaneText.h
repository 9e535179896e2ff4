#pragma once

#include <QString>

class QPlainTextEdit;

// The text of a pane with the CR LF line ends the program gave it. Qt's text
// boxes hand back LF whatever line ends they were given; the program's texts
// keep CR LF. The text as set is kept on the pane itself, so every reader of
// the pane finds the same.
class CrLfPaneText
{
public:
    explicit CrLfPaneText(QPlainTextEdit* pane);

    void set(const QString& text);
    // The text as set while the box still shows it; otherwise what the user
    // has made of it, with CR LF line ends.
    QString text() const;

private:
    QPlainTextEdit* m_pane;
};
