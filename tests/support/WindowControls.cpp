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
    return find<HelpPane>(nullptr)->lastField();
}

const FileCommands& WindowControls::fileCommands() const
{
    return find<AccountFileCommands>(nullptr)->commands();
}
