// The floor of the tool's own window: the main window as the user sees it,
// and nothing behind it. main()'s set-up line for line (font configuration
// read ahead, accessible factory, Japanese translation, the Windows font
// names, the application font), then the very controls, texts, fonts, menus
// and layout the main window builds, from the same FormControls tables, the
// guide text and the filled provider lists, centred and shown with the focus
// in txtName. What it leaves out is what the window does rather than shows:
// no speech channel and so no kana reading, no single instance, no platform
// services, no handlers, no interface reader. Whatever the tool's start-up
// costs beyond this copy is the price of that behaviour.
//
// It prints, like the bare window,
//     focus <CLOCK_MONOTONIC nanoseconds>
// the moment txtName gets the keyboard focus (where the tool sends its first
// announcement). With VX_BENCH_EXIT_AFTER_SHOWN=1 it then quits; otherwise it
// stays up so its resident memory can be read.

#include "app/AppSetup.h"
#include "app/CrLfPaneText.h"
#include "app/FormControls.h"
#include "app/GuideText.h"
#include "platform/Platform.h"
#include "ui/CentreOnScreen.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>
#include <ctime>
#include <utility>

namespace
{

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

class FirstFocusReporter : public QObject
{
public:
    explicit FirstFocusReporter(bool quitAfter) : m_quitAfter(quitAfter) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!m_reported && e->type() == QEvent::FocusIn) {
            m_reported = true;
            std::printf("focus %lld\n", monotonicNs());
            std::fflush(stdout);
            if (m_quitAfter)
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, e);
    }

private:
    bool m_quitAfter;
    bool m_reported = false;
};

// The main window's frame as FormSupport sets it up, without its program.
class StaticWindow : public QMainWindow
{
public:
    StaticWindow()
    {
        controls.createControls(this);
        CrLfPaneText(controls.txtGuide).set(::guideText());
    }

    FormControls controls;

protected:
    // Centred on the first show as the main window is, so the X server maps
    // and exposes the same area.
    void showEvent(QShowEvent* e) override
    {
        QMainWindow::showEvent(e);
        if (!std::exchange(m_centred, true))
            centreOnScreen(this);
    }

private:
    bool m_centred = false;
};

} // namespace

int main(int argc, char* argv[])
{
    disableCrashDumps();
    auto fontConfiguration = preloadFontConfiguration();
    QApplication app(argc, argv);
    setUpApplication(app, fontConfiguration);

    StaticWindow window;
    window.controls.ComboSet();
    FirstFocusReporter reporter(qEnvironmentVariableIntValue("VX_BENCH_EXIT_AFTER_SHOWN") == 1);
    window.controls.txtName->installEventFilter(&reporter);
    window.controls.txtName->setFocus(Qt::OtherFocusReason);
    window.show();
    window.activateWindow();
    return app.exec();
}
