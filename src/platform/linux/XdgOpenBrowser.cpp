#include "platform/linux/XdgOpenBrowser.h"

#include <QProcess>
#include <QStandardPaths>

std::unique_ptr<Browser> XdgOpenBrowser::create()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return nullptr;
    return std::make_unique<XdgOpenBrowser>(program);
}

XdgOpenBrowser::XdgOpenBrowser(QString program) : m_program(std::move(program)) {}

bool XdgOpenBrowser::open(const QString& url)
{
    return QProcess::startDetached(m_program, {url});
}
