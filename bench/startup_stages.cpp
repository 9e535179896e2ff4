// Where the tool's start-up time goes: the steps of main() and of the
// program's start-up, one by one and in the same order, on the real platform
// (the X server and speech daemon the environment names), each stamped on
// CLOCK_MONOTONIC. The driver passes the moment it started the process in
// VX_BENCH_SPAWN_NS, so loading and linking before main() is shown too.
//
// Prints one JSON object of stage -> milliseconds since the process was
// started, ending with the first Speak the focus on the first field causes,
// then quits.

#include "account/Acd.h"
#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "platform/Platform.h"
#include "speech/SpeechChannel.h"

#include <QApplication>
#include <QFont>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace
{

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

std::vector<std::pair<const char*, long long>>& stages()
{
    static std::vector<std::pair<const char*, long long>> list;
    return list;
}

void stamp(const char* stage)
{
    stages().emplace_back(stage, monotonicNs());
}

void report()
{
    const long long spawn = qEnvironmentVariable("VX_BENCH_SPAWN_NS").toLongLong();
    std::printf("{");
    const char* separator = "";
    for (const auto& [name, ns] : stages()) {
        std::printf("%s\"%s\": %.3f", separator, name,
                    spawn > 0 ? static_cast<double>(ns - spawn) / 1e6 : 0.0);
        separator = ", ";
    }
    std::printf("}\n");
    std::fflush(stdout);
}

// Forwards to the real speech object and notes the first Speak.
class StampingSpeechObject : public SpeechObject
{
public:
    explicit StampingSpeechObject(std::unique_ptr<SpeechObject> inner) : m_inner(std::move(inner)) {}

    int Speak(const QString& text, int flags) override
    {
        const int result = m_inner->Speak(text, flags);
        if (!m_spoken) {
            m_spoken = true;
            stamp("first_speak_returned");
            report();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return result;
    }
    int Interrupt() override { return m_inner->Interrupt(); }
    int Configure(int value) override { return m_inner->Configure(value); }
    int WaitDone() override { return m_inner->WaitDone(); }

private:
    std::unique_ptr<SpeechObject> m_inner;
    bool m_spoken = false;
};

class FirstExpose : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Expose && !m_seen && static_cast<QWindow*>(watched)->isExposed()) {
            m_seen = true;
            stamp("first_expose");
        }
        if (e->type() == QEvent::FocusIn && !m_focused) {
            m_focused = true;
            stamp("window_focus_in");
        }
        return QObject::eventFilter(watched, e);
    }

private:
    bool m_seen = false;
    bool m_focused = false;
};

} // namespace

int main(int argc, char* argv[])
{
    stamp("main_entered");
    auto fontConfiguration = preloadFontConfiguration();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vornix-support"));
    keepNoSettings();
    disableCrashDumps();
    stamp("qapplication");
    installJapaneseTranslation(app);
    stamp("translation");
    fontConfiguration.wait();
    stamp("font_configuration");
    installFontSubstitutions();
    QApplication::setFont(QFont(PGothicFamily, 9));
    stamp("fonts");

    Platform platform = createSystemPlatform();
    SpeechObjectFactory real = platform.speechFactory;
    platform.speechFactory = [real]() -> std::unique_ptr<SpeechObject> {
        std::unique_ptr<SpeechObject> inner = real ? real() : nullptr;
        if (!inner)
            return nullptr;
        return std::make_unique<StampingSpeechObject>(std::move(inner));
    };
    stamp("platform");
    if (platform.singleInstance && !platform.singleInstance->becomePrimary()) {
        std::fprintf(stderr, "startup_stages: another copy runs\n");
        return 1;
    }
    stamp("single_instance");

    SpeechChannel speech;
    Acd acd;
    FormSupport form(platform, speech, acd);
    stamp("window_built");
    // Form_Load would open the speech channel first thing; opened here so its
    // time shows on its own (a second VobrInit does nothing).
    speech.VobrInit(platform.speechFactory);
    stamp("speech_opened");
    form.Form_Load();
    stamp("form_load");
    FirstExpose watcher;
    form.winId();
    form.windowHandle()->installEventFilter(&watcher);
    form.show();
    form.activateWindow();
    stamp("shown");
    QTimer::singleShot(30000, &app, [] {
        std::fprintf(stderr, "startup_stages: nothing was spoken\n");
        QCoreApplication::exit(1);
    });
    return app.exec();
}
