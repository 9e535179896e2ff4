#include "app/Program.h"

#include "app/FormSupport.h"
#include "reader/InterfaceReader.h"

#include <future>

Program::Program(Platform platform)
    : m_platform(std::move(platform))
{
}

Program::~Program()
{
    // A late start must not reach a window that is gone.
    if (m_form)
        m_platform.singleInstance->setActivationHandler({});
}

bool Program::start()
{
    if (!m_platform.singleInstance->becomePrimary()) {
        m_platform.singleInstance->activatePrimary();
        return false;
    }
    openSpeechEarly();
    startReaderUnlessScreenReaderRuns();
    m_form = std::make_unique<FormSupport>(m_platform, m_speech, m_acd);
    m_form->Form_Load();
    FormSupport* form = m_form.get();
    m_platform.singleInstance->setActivationHandler([form] { form->bringToFront(); });
    m_form->show();
    // A desktop gives a new window the keyboard by itself; without a window
    // manager nothing would, and the first field would never announce itself.
    m_form->activateWindow();
    return true;
}

// A screen reader reads Qt's message boxes, file dialog and menus by itself;
// without one nobody would, so the program does. Asked once, while the speech
// connection opens.
void Program::startReaderUnlessScreenReaderRuns()
{
    if (!m_platform.screenReaderPresence->isRunning())
        m_reader = std::make_unique<InterfaceReader>(m_speech);
}

// Connecting to the speech service waits on another process for a few
// milliseconds; that wait now runs while the window is being built, and the
// window's own start-up takes the object where it always did.
void Program::openSpeechEarly()
{
    auto pending = std::make_shared<std::future<std::unique_ptr<SpeechObject>>>(
        std::async(std::launch::async, m_platform.speechFactory));
    m_platform.speechFactory = [pending]() -> std::unique_ptr<SpeechObject> {
        if (!pending->valid())
            return nullptr;
        return pending->get();
    };
}
