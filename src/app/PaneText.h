#pragma once

#include <QString>

class QPlainTextEdit;

// The text of a pane as the program set it. Qt's text boxes hand back LF
// whatever line ends they were given; the program's texts keep CR LF.
class PaneText
{
public:
    explicit PaneText(QPlainTextEdit* pane);

    void set(const QString& text);
    // The text as set while the box still shows it; otherwise what the user
    // has made of it, with CR LF line ends.
    QString text() const;

private:
    QPlainTextEdit* m_pane;
    QString m_set;
};
