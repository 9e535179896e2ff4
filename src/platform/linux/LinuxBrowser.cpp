#include "platform/linux/LinuxBrowser.h"

#include <QProcess>
#include <QStandardPaths>

std::unique_ptr<Browser> LinuxBrowser::create()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return nullptr;
    return std::make_unique<LinuxBrowser>(program);
}

LinuxBrowser::LinuxBrowser(QString program) : m_program(std::move(program)) {}

bool LinuxBrowser::open(const QString& url)
{
    return QProcess::startDetached(m_program, {url});
}
