#pragma once

#include "platform/MessageBox.h"

// The message boxes as Qt draws them. Button texts are Qt's own, so they are
// Japanese once the application has loaded Qt's Japanese translation.
class QtMessageBox : public MessageBox
{
public:
    // Yes/No with the exclamation icon; Enter answers Yes, Esc and closing the
    // box answer No.
    Answer question(QWidget* parent, const QString& text, const QString& title) override;
    // The stop icon and OK only.
    void error(QWidget* parent, const QString& text, const QString& title) override;
};
