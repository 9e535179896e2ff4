#pragma once

#include <memory>

class InterfaceReader;
class QWidget;
class SpeechChannel;

// Whether a screen reader runs decides how the program's words reach the
// user, and this is the one place that switches between the two ways.
//
// A screen reader reads the focused control, Qt's message boxes, file dialog
// and menus by itself. Beside one, the program speaks no focus announcement,
// its controls carry those words for the reader instead (AccessibleNames), and
// it reads nothing of Qt's windows. Without one nobody would: the program
// speaks every announcement and reads Qt's windows itself (InterfaceReader).
//
// The screen reader's own speech object is the exception: what the program
// gives it is the screen reader speaking, so the focus announcements keep
// going through it beside that reader, and only the reading of Qt's windows
// is left to the reader.
//
// The speech channel carries the mode to the rest of the program: the
// announcements ask it, and a window built later takes its words from it.
class ScreenReaderMode
{
public:
    explicit ScreenReaderMode(SpeechChannel& speech);
    ~ScreenReaderMode();
    ScreenReaderMode(const ScreenReaderMode&) = delete;
    ScreenReaderMode& operator=(const ScreenReaderMode&) = delete;

    // Takes the way that fits what was last learned; the controls of window
    // (the one window open for the whole run) switch their words with it.
    void follow(bool screenReaderRuns, QWidget* window);

    // What the program last learned: a screen reader runs.
    bool screenReaderRuns() const;
    // The program reads Qt's windows itself.
    bool readsInterface() const { return m_reader != nullptr; }

    // A window built while the program runs shows the words of the mode the
    // speech channel is in.
    static void applyTo(QWidget* window, const SpeechChannel& speech);

private:
    SpeechChannel& m_speech;
    std::unique_ptr<InterfaceReader> m_reader;
    bool m_known = false;
    bool m_runs = false;
};
