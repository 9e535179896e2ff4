#include "WindowControls.h"

#include "app/AccountFileCommands.h"
#include "app/CrLfPaneText.h"
#include "app/HelpPane.h"

QString WindowControls::paneText(const char* name) const
{
    return CrLfPaneText(pane(name)).text();
}

QLineEdit* WindowControls::lastField() const
{
    return m_window->findChild<HelpPane*>()->lastField();
}

const FileCommands& WindowControls::fileCommands() const
{
    return m_window->findChild<AccountFileCommands*>()->commands();
}
