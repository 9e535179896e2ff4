// The least a Qt Widgets program does before a user sees it: one empty main
// window, shown. The bench driver compares the tool's start-up with this.
//
// On the first expose of the window it prints
//     shown <CLOCK_MONOTONIC nanoseconds>
// so the driver can subtract the moment it started the process on the same
// clock. With VX_BENCH_EXIT_AFTER_SHOWN=1 it then quits; otherwise it stays up
// so its resident memory can be read.
//
// With VX_BENCH_BARE_TEXT=1 the window holds one label of Japanese text in
// Qt's default font: the floor for a program that shows any text at all,
// since that alone makes Qt load the font configuration and a CJK font.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QWindow>

#include <cstdio>
#include <ctime>

namespace
{

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

class FirstExposeReporter : public QObject
{
public:
    explicit FirstExposeReporter(bool quitAfter) : m_quitAfter(quitAfter) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!m_reported && e->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                m_reported = true;
                std::printf("shown %lld\n", monotonicNs());
                std::fflush(stdout);
                if (m_quitAfter)
                    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    bool m_quitAfter;
    bool m_reported = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare Qt window"));
    window.resize(640, 480);
    if (qEnvironmentVariableIntValue("VX_BENCH_BARE_TEXT") == 1)
        window.setCentralWidget(new QLabel(QStringLiteral("アカウントデータを保存します。"), &window));

    FirstExposeReporter reporter(qEnvironmentVariableIntValue("VX_BENCH_EXIT_AFTER_SHOWN") == 1);
    // The native window exists only once created; the filter must be on it
    // before it is mapped, or the first expose is missed.
    window.winId();
    window.windowHandle()->installEventFilter(&reporter);
    window.show();
    return app.exec();
}
