// How long a blind user waits between pressing Tab and the tool starting to
// speak: the real main window, built as start-up builds it, offscreen, with a
// speech object that only notes when Speak is called. Each move presses Tab on
// the focused control and stops the clock at the first Speak it causes; the
// release follows outside the clock.
//
// With "kana" the speech object first turns each text into kana the way the
// speech-dispatcher back end does for espeak-ng (dictionary opened before the
// clock runs), so the figure includes the reading.
//
// Prints one JSON object on stdout:
//     {"key_to_speech_p50_us": ..., "key_to_speech_p99_us": ..., "key_to_speech_moves": ...}
// and the slowest controls on stderr. Usage: key_to_speech_bench [moves] [kana]

#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "app/Program.h"
#include "platform/linux/dictionary/MecabWordReadings.h"
#include "reading/KanaReading.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QMap>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// What the timing speech object saw since it was last armed.
struct SpeakStamp {
    std::optional<Clock::time_point> first;
    void arm() { first.reset(); }
};

class TimingSpeechObject : public SpeechObject
{
public:
    TimingSpeechObject(std::shared_ptr<SpeakStamp> stamp, std::shared_ptr<KanaReading> reading)
        : m_stamp(std::move(stamp)), m_reading(std::move(reading))
    {
    }

    int Speak(const QString& text, int) override
    {
        if (m_reading)
            m_lastReading = m_reading->read(text);
        if (!m_stamp->first)
            m_stamp->first = Clock::now();
        return 0;
    }
    int Interrupt() override { return 0; }
    int Configure(int) override { return 0; }
    int WaitDone() override { return 0; }
    // As the speech-dispatcher back end does: the single-kanji table is read
    // from here on, while the moves are timed.
    void startUpIsOver() override
    {
        if (m_reading)
            m_reading->startUpIsOver();
    }

private:
    std::shared_ptr<SpeakStamp> m_stamp;
    std::shared_ptr<KanaReading> m_reading;
    QString m_lastReading;
};

// Tab never asks a question; should anything ask, the safe answer is No.
class NoMessageBox : public MessageBox
{
public:
    Answer question(QWidget*, const QString&, const QString&) override { return Answer::No; }
    void error(QWidget*, const QString&, const QString&) override {}
};

double percentile(std::vector<double> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest value with at least p of the samples at or below it.
    const auto rank =
        static_cast<std::size_t>(std::max(1.0, std::ceil(p * static_cast<double>(sorted.size()))));
    return sorted[std::min(rank, sorted.size()) - 1];
}

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installJapaneseTranslation(app);
    installFontSubstitutions();

    const QStringList args = app.arguments();
    const int moves = args.size() > 1 ? std::max(100, args.at(1).toInt()) : 10000;
    const int warmUp = 200;

    std::shared_ptr<KanaReading> reading;
    if (args.size() > 2 && args.at(2) == QLatin1String("kana")) {
        reading = std::make_shared<KanaReading>(MecabWordReadings::open());
        if (!reading->hasDictionary()) {
            std::fprintf(stderr, "key_to_speech_bench: the MeCab dictionary is not installed\n");
            return 1;
        }
    }

    auto stamp = std::make_shared<SpeakStamp>();
    // The system's services, but speech and boxes are the bench's own, and
    // neither another copy nor a screen reader takes part.
    Platform platform = createSystemPlatform();
    platform.singleInstance = std::make_shared<NoSingleInstance>();
    platform.screenReaderPresence = std::make_shared<NoScreenReaderPresence>();
    platform.speechFactory = [stamp, reading] { return std::make_unique<TimingSpeechObject>(stamp, reading); };
    platform.messageBox = std::make_shared<NoMessageBox>();

    Program program(platform);
    if (!program.start()) {
        std::fprintf(stderr, "key_to_speech_bench: the program did not start\n");
        return 1;
    }
    FormSupport* window = program.window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window) || !program.speech().VoiceEnabled()) {
        std::fprintf(stderr, "key_to_speech_bench: window not active or speech off\n");
        return 1;
    }
    QTest::qWait(50);

    std::vector<double> samples;
    samples.reserve(moves);
    QMap<QString, std::vector<double>> byControl;
    int silent = 0;
    for (int i = 0; i < warmUp + moves; ++i) {
        QWidget* from = QApplication::focusWidget();
        if (!from) {
            std::fprintf(stderr, "key_to_speech_bench: nothing has the focus after %d moves\n", i);
            return 1;
        }
        stamp->arm();
        const Clock::time_point pressed = Clock::now();
        QTest::keyPress(from, Qt::Key_Tab);
        // A handler may post the move instead of making it: let it run.
        for (int spin = 0; !stamp->first && spin < 20; ++spin)
            QCoreApplication::processEvents();
        const std::optional<Clock::time_point> spoken = stamp->first;
        QWidget* to = QApplication::focusWidget();
        if (to)
            QTest::keyRelease(to, Qt::Key_Tab);
        QCoreApplication::processEvents();

        if (i < warmUp)
            continue;
        if (!spoken) {
            ++silent;
            continue;
        }
        const double us = std::chrono::duration<double, std::micro>(*spoken - pressed).count();
        samples.push_back(us);
        byControl[to ? to->objectName() : QStringLiteral("<none>")].push_back(us);
    }
    // Every control in the tab order announces itself: a silent move is a
    // fault, not a fast one.
    if (silent > 0 || samples.empty()) {
        std::fprintf(stderr, "key_to_speech_bench: %d of %d moves caused no Speak\n", silent, moves);
        return 1;
    }

    std::fprintf(stderr, "key to speech, by the control that gained the focus:\n");
    for (auto it = byControl.cbegin(); it != byControl.cend(); ++it)
        std::fprintf(stderr, "  %-10s moves %5zu  p50 %8.1f us  p99 %8.1f us\n", qPrintable(it.key()),
                     it.value().size(), percentile(it.value(), 0.50), percentile(it.value(), 0.99));
    std::printf(
        "{\"key_to_speech_p50_us\": %.1f, \"key_to_speech_p99_us\": %.1f, \"key_to_speech_moves\": %zu}\n",
        percentile(samples, 0.50), percentile(samples, 0.99), samples.size());
    return 0;
}
