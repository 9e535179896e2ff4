#pragma once

#include "app/FormControls.h"

#include <QObject>

class SpeechChannel;

// The field help pane and its close button: shown or hidden, and the entry
// field the focus goes back to when it closes. It belongs to the pane.
class HelpPane : public QObject
{
    Q_OBJECT

public:
    // firstField is where the focus goes back to before any field was left.
    HelpPane(TextPane* pane, CommandButton* closeButton, QLineEdit* firstField, SpeechChannel& speech);

    bool isShown() const { return !m_pane->isHidden(); }
    // Fills the pane; a hidden pane is shown and takes the focus.
    void show(const QString& text);
    // Shows the pane and its close button and leaves the focus where it is.
    void uncover();
    // "パス" is heard whole, then the focus goes back to the field last left
    // and the pane and its button hide.
    void close();

    // The entry field that last lost the focus (LastField); null until one has.
    QLineEdit* lastField() const { return m_lastField; }
    void fieldLeft(QLineEdit* field) { m_lastField = field; }

private:
    TextPane* m_pane;
    CommandButton* m_closeButton;
    QLineEdit* m_firstField;
    SpeechChannel& m_speech;
    QLineEdit* m_lastField = nullptr;
};
