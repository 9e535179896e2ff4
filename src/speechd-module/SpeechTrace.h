#pragma once

#include <string>
#include <string_view>

// What the module said, line by line, for whoever named a file in
// VORNIX_JTALK_TRACE: tests, and anyone who wants to know whether this module
// or another one spoke. Off (and free) without the variable.
//
// Each line is a kind, a tab and its text:
//   text    a line as open_jtalk was given it, in the order spoken
//   words   Open JTalk's reading of it: "surface/pronunciation" per word
//   stop    the message was stopped (STOP) here
//   error   something that could not be said, and why
// The file is opened for each line in append mode, so that several modules
// (several daemons) can share one.
class SpeechTrace
{
public:
    static constexpr const char* Variable = "VORNIX_JTALK_TRACE";

    static SpeechTrace fromEnvironment();
    explicit SpeechTrace(std::string file) : m_file(std::move(file)) {}

    bool isOn() const { return !m_file.empty(); }
    void write(std::string_view kind, std::string_view text) const;
    // The words of open_jtalk's own trace file (-ot), or nothing.
    static std::string wordsOf(std::string_view jtalkTrace);

private:
    std::string m_file;
};
