#include "app/Program.h"

#include "app/FormSupport.h"

#include <QGuiApplication>
#include <future>
#include <system_error>
#include <utility>

Program::Program(Platform platform)
    : m_platform(std::move(platform))
{
}

Program::~Program()
{
    // An answer on its way is delivered to the window, which must still be
    // there to drop it. The question answers within its bound, so this
    // never waits for good.
    if (m_pendingQuestion.valid())
        m_pendingQuestion.wait();
    // A late start must not reach a window that is gone.
    if (m_form)
        m_platform.singleInstance->setActivationHandler({});
}

bool Program::start()
{
    if (!m_platform.singleInstance->becomePrimaryOrHandOver())
        return false;
    openSpeechEarly();
    // Without an answer the program speaks for itself: nobody is left
    // without a voice.
    const bool screenReaderRuns = m_platform.screenReaderPresence->ask() == ScreenReaderAnswer::Runs;
    m_form = std::make_unique<FormSupport>(m_platform, m_speech, m_acd);
    m_form->Form_Load();
    followScreenReader(screenReaderRuns);
    FormSupport* form = m_form.get();
    // The first activation is the start itself, asked about just now. The
    // first field announces itself as the focus arrives with it; once that
    // event is handled, start-up is over.
    QObject::connect(form, &FormSupport::activated, form, [this, form, first = true]() mutable {
        if (!std::exchange(first, false)) {
            askAgainWhetherScreenReaderRuns();
            return;
        }
        QMetaObject::invokeMethod(form, [this] { m_speech.startUpIsOver(); }, Qt::QueuedConnection);
    });
    m_platform.singleInstance->setActivationHandler([form] { form->bringToFront(); });
    // A closed window means the program is ending, even while its event loop
    // still runs: a start arriving now is not answered, and opens its own.
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, form,
                     [instance = m_platform.singleInstance] { instance->setActivationHandler({}); });
    m_form->show();
    // A desktop gives a new window the keyboard by itself; without a window
    // manager nothing would, and the first field would never announce itself.
    m_form->activateWindow();
    return true;
}

void Program::followScreenReader(bool runs)
{
    m_mode.follow(runs, m_form.get());
}

// A screen reader started or stopped while the program ran is noticed when
// the user comes back to the window. One question at a time. A screen reader
// busy reading (a file name typed key by key) may not answer in time; that
// leaves things as they are, or the program would talk over it.
void Program::askAgainWhetherScreenReaderRuns()
{
    using namespace std::chrono_literals;
    if (m_pendingQuestion.valid() && m_pendingQuestion.wait_for(0s) != std::future_status::ready)
        return;
    FormSupport* form = m_form.get();
    try {
        m_pendingQuestion = std::async(std::launch::async, [this, form, presence = m_platform.screenReaderPresence] {
            const ScreenReaderAnswer answer = presence->ask();
            if (answer == ScreenReaderAnswer::NoAnswer)
                return;
            QMetaObject::invokeMethod(
                form, [this, answer] { followScreenReader(answer == ScreenReaderAnswer::Runs); },
                Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to ask on: no answer, as from a desktop too busy to give one.
    }
}

// Connecting to the speech service waits on another process for a few
// milliseconds; that wait now runs while the window is being built, and the
// window's own start-up takes the object where it always did.
void Program::openSpeechEarly()
{
    std::shared_ptr<std::future<std::unique_ptr<SpeechObject>>> pending;
    try {
        pending = std::make_shared<std::future<std::unique_ptr<SpeechObject>>>(
            std::async(std::launch::async, m_platform.speechFactory));
    } catch (const std::system_error&) {
        // No thread to spare: the window's start-up connects by itself.
        return;
    }
    m_platform.speechFactory = [pending]() -> std::unique_ptr<SpeechObject> {
        if (!pending->valid())
            return nullptr;
        return pending->get();
    };
}
