#include "app/FieldBehaviour.h"

#include "accessibility/ControlVoice.h"
#include "app/HelpPane.h"
#include "ui/ClickableLabel.h"
#include "ui/EnterKey.h"

#include <QCoreApplication>

FieldBehaviour::FieldBehaviour(HelpPane& helpPane, SpeechChannel& speech)
    : m_helpPane(helpPane), m_speech(speech)
{
}

void FieldBehaviour::attach(const FormControls::Field& field)
{
    const FormControls::Field* f = &field;
    // While the help pane is open it follows the focus from field to field.
    ControlVoice::field(f->edit, m_speech, f->spokenLabel, [this, f] {
        if (m_helpPane.isShown())
            showHelp(*f);
    });
    f->edit->handlers.lostFocus = [this, f](Qt::FocusReason reason) {
        // Another window taking over is no move within this one.
        if (reason != Qt::ActiveWindowFocusReason)
            m_helpPane.fieldLeft(f->edit);
    };
    f->edit->handlers.keyPress = enterMovesOn;
    f->edit->handlers.keyRelease = [this, f](QKeyEvent* e) {
        if (e->key() != Qt::Key_F1)
            return false;
        showHelp(*f);
        return true;
    };
    QObject::connect(f->caption, &ClickableLabel::clicked, f->caption, [this, f] { captionClicked(*f); });
}

void FieldBehaviour::showHelp(const FormControls::Field& field)
{
    m_helpPane.show(field.helpText());
}

void FieldBehaviour::captionClicked(const FormControls::Field& field)
{
    field.edit->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    m_helpPane.uncover();
    // The pane is showing now: the help fills it and the focus stays in the field.
    showHelp(field);
}
