// One start of the program, reduced to its single-instance part, so that tests
// can race real processes against each other.
//
// instance_probe <directory> <name> [--wait-go] [--quit-after N] [--lifetime ms]
//
// --wait-go: print "ready", then wait for a line on stdin before starting, so
// that many probes can be let loose at the same moment.
// Primary: prints "primary", then "activated <n>" for each later start; ends
// on "quit" or end of stdin, after N activations, or when the lifetime is over
// (exit code 3), so that a lost test never leaves it behind.
// Later start: hands over, prints "handed over" once the primary answered and
// exits 0; a start the primary never answers becomes the primary itself.
// An empty directory means the user's runtime folder.
#include "platform/linux/LinuxSingleInstance.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray& line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Read straight from the descriptor: stdio would buffer past the line and
// swallow a later "quit".
bool readLine()
{
    char c;
    for (;;) {
        const ssize_t n = ::read(0, &c, 1);
        if (n <= 0)
            return false;
        if (c == '\n')
            return true;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: instance_probe <directory> <name> [--wait-go] [--quit-after N] [--lifetime ms]\n", stderr);
        return 2;
    }
    bool waitGo = false;
    int quitAfter = 0;
    int lifetimeMs = 60000;
    for (int i = 3; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--wait-go"))
            waitGo = true;
        else if (args[i] == QLatin1String("--quit-after") && i + 1 < args.size())
            quitAfter = args[++i].toInt();
        else if (args[i] == QLatin1String("--lifetime") && i + 1 < args.size())
            lifetimeMs = args[++i].toInt();
    }

    if (waitGo) {
        say("ready");
        if (!readLine())
            return 2;
    }

    LinuxSingleInstance instance(args[2], args[1]);
    int activations = 0;
    instance.setActivationHandler([&] {
        ++activations;
        say("activated " + QByteArray::number(activations));
        if (quitAfter > 0 && activations >= quitAfter)
            app.quit();
    });
    if (!instance.becomePrimaryOrHandOver()) {
        say("handed over");
        return 0;
    }
    say("primary");

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t n = ::read(0, buffer, sizeof buffer);
        if (n <= 0 || QByteArray(buffer, int(n)).contains("quit"))
            app.quit();
    });
    QTimer::singleShot(lifetimeMs, &app, [&] {
        say("lifetime over");
        app.exit(3);
    });
    return app.exec();
}
