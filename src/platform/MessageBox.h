#pragma once

#include <QString>

class QWidget;

// The system message boxes the program shows: questions with Yes/No and the
// exclamation icon (Yes is the default), errors with the stop icon and OK.
class MessageBox
{
public:
    enum class Answer { Yes, No, Ok };

    virtual ~MessageBox() = default;
    virtual Answer question(QWidget* parent, const QString& text, const QString& title) = 0;
    virtual void error(QWidget* parent, const QString& text, const QString& title) = 0;
};
