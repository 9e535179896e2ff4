#pragma once

#include "app/FormControls.h"

class HelpPane;
class SpeechChannel;

// What each of the six entry fields does, the same for all: it says its
// label and value when it gets the focus, with the caret at the start; Enter
// moves on; F1 or a click on its caption shows its help; while the help pane
// is open the pane follows the focus from field to field; and the field left
// last is where closing the pane returns to.
class FieldBehaviour
{
public:
    FieldBehaviour(HelpPane& helpPane, SpeechChannel& speech);

    void attach(const FormControls::Field& field);

private:
    // Fills the help pane with the field's text; a hidden pane is shown and
    // takes the focus.
    void showHelp(const FormControls::Field& field);
    void captionClicked(const FormControls::Field& field);

    HelpPane& m_helpPane;
    SpeechChannel& m_speech;
};
