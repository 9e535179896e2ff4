#include "app/Program.h"

#include "app/FormSupport.h"

Program::Program(Platform platform)
    : m_platform(std::move(platform))
{
}

Program::~Program()
{
    // A late start must not reach a window that is gone.
    if (m_platform.singleInstance && m_form)
        m_platform.singleInstance->setActivationHandler({});
}

bool Program::start()
{
    if (m_platform.singleInstance && !m_platform.singleInstance->becomePrimary()) {
        m_platform.singleInstance->activatePrimary();
        return false;
    }
    m_form = std::make_unique<FormSupport>(m_platform, m_speech, m_acd);
    m_form->Form_Load();
    if (m_platform.singleInstance) {
        FormSupport* form = m_form.get();
        m_platform.singleInstance->setActivationHandler([form] { form->bringToFront(); });
    }
    m_form->show();
    // A desktop gives a new window the keyboard by itself; without a window
    // manager nothing would, and the first field would never announce itself.
    m_form->activateWindow();
    return true;
}
