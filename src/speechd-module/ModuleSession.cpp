#include "ModuleSession.h"

#include "MecabWordBoundaries.h"
#include "SsmlText.h"
#include "Synthesizer.h"

#include <cstdio>
#include <cstdlib>

ModuleSession::ModuleSession(int input, int output, JTalkCommand command, SpeechTrace trace)
    : m_input(input), m_output(output), m_command(std::move(command)), m_trace(std::move(trace))
{
}

ModuleSession::~ModuleSession() = default;

std::optional<std::vector<std::string>> ModuleSession::block()
{
    std::vector<std::string> lines;
    std::size_t size = 0;
    bool cut = false;
    for (;;) {
        std::optional<std::string> line = m_input.next();
        if (!line)
            return std::nullopt;
        if (*line == ".")
            break;
        // A line that starts with a dot was sent with one more in front.
        if (!line->empty() && line->front() == '.')
            line->erase(0, 1);
        if (size + line->size() > LongestMessage) {
            cut = true;
            continue;
        }
        size += line->size() + 1;
        lines.push_back(std::move(*line));
    }
    if (cut)
        m_trace.write("error", "message cut at " + std::to_string(LongestMessage) + " bytes");
    return lines;
}

bool ModuleSession::init()
{
    const std::string why = m_command.whyNotUsable();
    if (!why.empty()) {
        std::fprintf(stderr, "%s: %s\n", Name, why.c_str());
        m_output.send("399-" + std::string(Name) + ": " + why + "\n399 ERR CANT INIT MODULE");
        return false;
    }
    // Without MeCab's dictionary a long line is cut between scripts instead
    // of between words; the module still speaks.
    auto words = MecabWordBoundaries::open(m_command.wordDictionary);
    m_synthesizer = std::make_unique<Synthesizer>(m_output, m_command, std::move(words), m_trace);
    m_synthesizer->prepare(m_settings);
    m_output.send("299-" + std::string(Name) + ": Open JTalk with the voice " + m_command.voices.front().name
                  + "\n299 OK LOADED SUCCESSFULLY");
    return true;
}

int ModuleSession::run()
{
    const std::optional<std::string> first = m_input.next();
    if (!first || *first != "INIT") {
        std::fprintf(stderr, "%s: the daemon did not start with INIT\n", Name);
        return 3;
    }
    if (!init())
        return 1;
    while (m_output.isOpen()) {
        const std::optional<std::string> line = m_input.next();
        if (!line)
            break;
        const std::string& command = *line;
        if (command == "SPEAK" || command == "CHAR" || command == "KEY" || command == "SOUND_ICON") {
            receiveMessage(command);
        } else if (command == "STOP") {
            m_synthesizer->stop();
        } else if (command == "PAUSE") {
            m_synthesizer->pause();
        } else if (command == "SET") {
            set();
        } else if (command == "AUDIO") {
            audio();
        } else if (command == "LOGLEVEL") {
            m_output.send("207 OK RECEIVING LOGLEVEL SETTINGS");
            if (!block())
                break;
            m_output.send("203 OK LOGLEVEL SET");
        } else if (command.rfind("DEBUG", 0) == 0) {
            m_output.send(command.find(" ON") != std::string::npos ? "200 OK DEBUGGING ON" : "200 OK DEBUGGING OFF");
        } else if (command == "LIST VOICES") {
            listVoices();
        } else if (command == "QUIT") {
            m_synthesizer.reset();
            m_output.send("210 OK QUIT");
            return 0;
        } else {
            m_output.send("300 ERR UNKNOWN COMMAND");
        }
    }
    // The daemon went away: the synthesiser takes its processes with it.
    m_synthesizer.reset();
    return 0;
}

void ModuleSession::receiveMessage(const std::string& command)
{
    m_output.send("202 OK RECEIVING MESSAGE");
    const std::optional<std::vector<std::string>> lines = block();
    if (!lines)
        return;
    std::string data;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        if (i > 0)
            data += '\n';
        data += (*lines)[i];
    }
    SsmlText message;
    if (command == "SPEAK") {
        message = SsmlText::parse(data);
    } else {
        // A character, a key's name ("shift_L") or a sound icon's name: said
        // as it is written, not as markup.
        for (char& c : data)
            c = c == '_' ? ' ' : c;
        message = SsmlText::parse(data == "space" ? std::string("スペース") : data);
        message.marks.clear();
    }
    // The reply goes out before the message is handed over: no event of it
    // may come before the daemon has its answer.
    if (m_synthesizer->isSpeaking()) {
        m_output.send("301 ERROR CANT SPEAK");
        return;
    }
    m_output.send("200 OK SPEAKING");
    m_synthesizer->speak(std::move(message));
}

void ModuleSession::set()
{
    m_output.send("203 OK RECEIVING SETTINGS");
    const std::optional<std::vector<std::string>> lines = block();
    if (!lines)
        return;
    VoiceSettings settings = m_settings;
    for (const std::string& line : *lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        const auto number = [&value](int& into) {
            char* end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (end != value.c_str() && *end == '\0')
                into = int(std::max(-100L, std::min(100L, n)));
        };
        if (name == "rate")
            number(settings.rate);
        else if (name == "pitch")
            number(settings.pitch);
        else if (name == "volume")
            number(settings.volume);
        else if (name == "synthesis_voice")
            settings.voice = value == "NULL" ? std::string() : value;
        // Punctuation, spelling and capital letters are open_jtalk's own
        // business; the language is always Japanese.
    }
    m_settings = settings;
    m_synthesizer->prepare(m_settings);
    m_output.send("203 OK SETTINGS RECEIVED");
}

void ModuleSession::audio()
{
    m_output.send("207 OK RECEIVING AUDIO SETTINGS");
    const std::optional<std::vector<std::string>> lines = block();
    if (!lines)
        return;
    // The daemon offers to play the module's speech through its own output
    // first ("server"): the module takes it, so speech goes wherever the
    // daemon's configuration sends it (a test daemon's null output too).
    bool server = false;
    for (const std::string& line : *lines)
        server = server || line == "audio_output_method=server";
    if (server)
        m_output.send("203 OK AUDIO INITIALIZED");
    else
        m_output.send("300-" + std::string(Name)
                      + " plays through the daemon's audio output only\n300 MODULE ERROR");
}

void ModuleSession::listVoices()
{
    std::string reply;
    for (const JTalkCommand::Voice& voice : m_command.voices)
        reply += "200-" + voice.name + "\tja\tnone\n";
    m_output.send(reply + "200 OK VOICE LIST SENT");
}
