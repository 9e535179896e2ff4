// sd_vornix-jtalk: a speech-dispatcher output module that speaks Japanese
// with Open JTalk. The daemon starts it with the path of its configuration
// file and talks to it over its standard input and output.

#include "JTalkCommand.h"
#include "ModuleSession.h"
#include "SpeechTrace.h"

#include <csignal>
#include <unistd.h>

int main(int argc, char* argv[])
{
    // A synthesiser that dies as its line is written must not take the
    // module with it.
    std::signal(SIGPIPE, SIG_IGN);
    const JTalkCommand command = JTalkCommand::fromConfiguration(argc > 1 ? argv[1] : "");
    ModuleSession session(STDIN_FILENO, STDOUT_FILENO, command, SpeechTrace::fromEnvironment());
    return session.run();
}
