#include "app/HelpPane.h"

#include "app/CrLfPaneText.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"

namespace
{

const QString Pass = QStringLiteral("パス");

} // namespace

HelpPane::HelpPane(TextPane* pane, CommandButton* closeButton, QLineEdit* firstField, SpeechChannel& speech)
    : QObject(pane), m_pane(pane), m_closeButton(closeButton), m_firstField(firstField), m_speech(speech)
{
    m_pane->handlers.gotFocus = [this](Qt::FocusReason) {
        m_closeButton->show();
        Announce::title(m_speech, FormControls::HelpTitle);
    };
    m_pane->handlers.keyRelease = [this](QKeyEvent* e) {
        if (e->key() != Qt::Key_Escape)
            return false;
        close();
        return true;
    };
}

void HelpPane::show(const QString& text)
{
    // The focus first: a screen reader that learns of the new text's caret
    // in the moments before the focus takes that for the focus and says
    // nothing of the pane.
    if (m_pane->isHidden()) {
        m_pane->show();
        m_pane->setFocus(Qt::OtherFocusReason);
    }
    CrLfPaneText(m_pane).set(text);
}

void HelpPane::uncover()
{
    m_pane->show();
    m_closeButton->show();
}

void HelpPane::close()
{
    // "パス" is heard whole before the field's announcement cuts in. No focus
    // move carries it, so the program says it with a screen reader too.
    m_speech.Voice(Pass);
    m_speech.VoiceWait();
    // Only the close box's access key can get here before any field lost the
    // focus; the first field is then where the user started.
    QLineEdit* back = m_lastField ? m_lastField : m_firstField;
    back->setFocus(Qt::OtherFocusReason);
    m_pane->hide();
    m_closeButton->hide();
}
