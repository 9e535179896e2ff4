#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QString>

// Answers questions with a prepared answer and records every box it was asked
// to show, so no test ever blocks on a real modal box.
class FakeMessageBox : public MessageBox
{
public:
    struct Shown {
        QString kind; // "question" or "error"
        QString text;
        QString title;
    };

    Answer nextAnswer = Answer::Yes;
    QList<Shown> shown;

    Answer question(QWidget*, const QString& text, const QString& title) override
    {
        shown.append({QStringLiteral("question"), text, title});
        return nextAnswer;
    }

    void error(QWidget*, const QString& text, const QString& title) override
    {
        shown.append({QStringLiteral("error"), text, title});
    }
};
