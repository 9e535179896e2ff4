// The floor the tool's start-up is judged against: the least a Qt Widgets
// program with Japanese text does before its user can type. One window with
// one label of Japanese and one line edit, in Qt's default font, shown; the
// moment the line edit gets the keyboard focus (which the window manager
// hands to a newly mapped window) is the moment the tool would announce its
// first field.
//
// It prints
//     focus <CLOCK_MONOTONIC nanoseconds>
// so the driver can subtract the moment it started the process on the same
// clock. With VX_BENCH_EXIT_AFTER_SHOWN=1 it then quits; otherwise it stays up
// so its resident memory can be read.
//
// With VX_BENCH_BARE_EMPTY=1 it is one empty main window instead, reported at
// its first expose as
//     shown <CLOCK_MONOTONIC nanoseconds>
// the floor of any Qt window, drawing no text at all.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QVBoxLayout>
#include <QWidget>
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

// Reports the first event of one type on the object it watches, once.
class FirstEventReporter : public QObject
{
public:
    FirstEventReporter(QEvent::Type type, const char* word, bool quitAfter)
        : m_type(type), m_word(word), m_quitAfter(quitAfter)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!m_reported && e->type() == m_type) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (!window || window->isExposed()) {
                m_reported = true;
                std::printf("%s %lld\n", m_word, monotonicNs());
                std::fflush(stdout);
                if (m_quitAfter)
                    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    QEvent::Type m_type;
    const char* m_word;
    bool m_quitAfter;
    bool m_reported = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool quitAfter = qEnvironmentVariableIntValue("VX_BENCH_EXIT_AFTER_SHOWN") == 1;

    if (qEnvironmentVariableIntValue("VX_BENCH_BARE_EMPTY") == 1) {
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("bare Qt window"));
        window.resize(640, 480);
        FirstEventReporter reporter(QEvent::Expose, "shown", quitAfter);
        // The native window exists only once created; the filter must be on
        // it before it is mapped, or the first expose is missed.
        window.winId();
        window.windowHandle()->installEventFilter(&reporter);
        window.show();
        return app.exec();
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("bare Qt window"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("アカウントデータを保存します。"), &window));
    auto* edit = new QLineEdit(&window);
    layout->addWidget(edit);
    FirstEventReporter reporter(QEvent::FocusIn, "focus", quitAfter);
    edit->installEventFilter(&reporter);
    window.show();
    return app.exec();
}
