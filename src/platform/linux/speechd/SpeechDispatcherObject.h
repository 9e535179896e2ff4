#pragma once

#include "platform/SpeechObject.h"
#include "reading/SpeechReadingMode.h"
#include "platform/linux/speechd/SpeechdReading.h"
#include "platform/linux/speechd/SpeechdWireText.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <memory>

class BoundedWorker;
class SocketWatcher;

// The speech object on Linux: speech-dispatcher, the service Linux screen
// readers speak through, reached with libspeechd.
//
// libspeechd blocks for ever when the daemon stops answering (and opening can
// block for ever against a server that accepts but never replies), so every
// libspeechd call runs on a thread of this object and the caller waits for it
// only a bounded time. Only the daemon is held to that bound: the worker's own
// work (reading a text as kana, opening the dictionary) is no sign of a dead
// daemon, and the window does not wait for it either: a call that finds the
// worker busy with it returns at once and the text follows when it is ready.
// A daemon call running into its bound counts as a failure; after the first
// failure every call fails at once, so a dead daemon costs the window one
// bound at most, never a hang. A daemon that closes the connection is noticed
// the moment it does. Waiting for speech to end is another matter: a long
// text or a slow voice is no fault, so a wait that runs past its bound only
// asks whether the daemon still answers, and asks it within the same bound.
class SpeechDispatcherObject : public SpeechObject
{
public:
    struct Bounds {
        // Includes an autospawned daemon's start, which takes about a second.
        std::chrono::milliseconds open{3000};
        // One request and its answer; a live daemon answers in milliseconds.
        // Counts only the time spent waiting for the daemon.
        std::chrono::milliseconds call{3000};
        // How long WaitDone holds the window for speech still going on (a long
        // field value may be ahead of the short word it waits for); then the
        // next announcement may cut in. The question whether the daemon still
        // answers is asked within it, not after it.
        std::chrono::milliseconds wait{5000};
        // How long the program's end waits for a text still being read as
        // kana; the daemon's own answer is held to the call bound.
        std::chrono::milliseconds exit{2000};
    };

    // Where the kana reading takes its words from.
    using WordReadingsSource = SpeechdReading::WordReadingsSource;

    // Connects to the daemon named by SPEECHD_ADDRESS, or to the user's own
    // daemon (started if it is not running). Empty when no daemon answers
    // within the bound. Texts are read as kana as the environment asks
    // (SpeechReadingVariable), with the words from the given dictionary;
    // without one kanji are only "カンジ".
    static std::unique_ptr<SpeechObject> create(WordReadingsSource words = {});
    // The same with other bounds (tests use short ones to stay quick).
    static std::unique_ptr<SpeechObject> createWithBounds(const Bounds& bounds);
    // The same with the kana reading chosen by the caller. Configure decides,
    // from the daemon's output module for this connection and the modules it
    // has, how texts go out (SpeechdReading): to the Open JTalk module as they
    // are in place of espeak, as kana to espeak without it, as they are to
    // any other engine or a module the daemon does not name; for kana the
    // dictionary is then opened on this object's thread while the caller
    // goes on.
    static std::unique_ptr<SpeechObject> createWithBounds(const Bounds& bounds, SpeechReadingMode reading);
    // The same with the words taken from a dictionary.
    static std::unique_ptr<SpeechObject> createWithBounds(const Bounds& bounds, SpeechReadingMode reading,
                                                          WordReadingsSource words);

    ~SpeechDispatcherObject() override;
    SpeechDispatcherObject(const SpeechDispatcherObject&) = delete;
    SpeechDispatcherObject& operator=(const SpeechDispatcherObject&) = delete;

    // Each returns the daemon's answer, or 0 as soon as the worker turns to
    // the program's own work (reading a text as kana) ahead of it: a failure
    // the daemon answers later makes the next call fail.
    int Speak(const QString& text, int flags) override;
    int Interrupt() override;
    int Configure(int value) override;
    // 0 once everything is spoken; 1 when the bound passed while the daemon,
    // still answering, was speaking (or the worker was still reading a text);
    // negative when the connection is dead.
    int WaitDone() override;
    // Lets the dictionary start on what it left for later, on this object's
    // thread, behind the texts already given.
    void startUpIsOver() override;

    // The bytes handed to libspeechd for a text (speechdWireText).
    static QByteArray wireText(const QString& text) { return speechdWireText(text); }

    // True once a call has failed or run into its bound.
    bool hasFailed() const;
    // True when Configure found that texts are to go out as kana.
    bool readsAsKana() const;

    struct Core;

private:
    explicit SpeechDispatcherObject(std::shared_ptr<Core> core);

    std::shared_ptr<Core> m_core;
    std::unique_ptr<BoundedWorker> m_worker;
    std::unique_ptr<SocketWatcher> m_watcher;
};
