#pragma once

#include <QChar>
#include <QString>
#include <functional>
#include <memory>

// The pause between a control's name and its value or key hint in a text
// given to Speak: byte FE of the Japanese ANSI code page, which the system
// turns into U+F8F2.
inline constexpr QChar AnnounceSeparator = QChar(0xF8F2);

// The screen reader's speech object as the program sees it: four calls, each
// returning a status where a negative value means the call failed.
class SpeechObject
{
public:
    virtual ~SpeechObject() = default;

    // Queues the text behind what is already being spoken and returns at once.
    virtual int Speak(const QString& text, int flags) = 0;
    // Stops this program's own speech so that the next text is heard at once.
    virtual int Interrupt() = 0;
    virtual int Configure(int value) = 0;
    // Returns when everything given to Speak so far has been spoken (0), or,
    // with speech still going on, after a bound that keeps the window from
    // hanging (a positive value: not a failure).
    virtual int WaitDone() = 0;

    // Not one of the screen reader's calls: the program is up (its window
    // shows and the first field has announced itself), so what the object
    // prepares late, to keep the first words quick, may start now.
    virtual void startUpIsOver() {}
    // A voice of the system's own that speaks because the screen reader's
    // object is not there. It speaks all the same, but it says nothing about
    // the screen reader being installed.
    virtual bool standsInForScreenReader() const { return false; }
    // The screen reader's own object: what it is given is the screen reader
    // speaking, so the focus announcements keep going through it while that
    // screen reader runs. Any other voice would talk over the screen reader.
    virtual bool announcesBesideScreenReader() const { return false; }
};

// Creates the speech object; an empty pointer means it could not be created.
using SpeechObjectFactory = std::function<std::unique_ptr<SpeechObject>()>;
