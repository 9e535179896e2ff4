#pragma once

#include "app/BrowserCommand.h"

class MessageBox;
class QWidget;
struct Acd;
struct FormControls;

// The help the main window gives with providers, on its controls: the
// provider of the typed address shown in both lists, a provider's worked
// example, the server names and mail ID derived from the address, and the
// chosen provider's home page.
class ProviderAssist
{
public:
    // The question before an example overwrites input opens over window.
    ProviderAssist(FormControls& ui, Acd& acd, MessageBox& messageBox, BrowserFactory browsers, QWidget* window);

    // Selects the provider of the address in both lists; an address of no
    // known provider leaves them as they are.
    void showProviderOfAddress();
    // Fills the form with the worked example of the provider chosen in
    // Combo1, after asking when that would overwrite input.
    void fillInSample();
    // Server names and mail ID from the address, and its provider in both lists.
    void deriveFromAddress();
    // The home page of the provider chosen in Combo2.
    void openHomePage();

private:
    void showProvider(int provider);

    FormControls& m_ui;
    Acd& m_acd;
    MessageBox& m_messageBox;
    QWidget* m_window;
    BrowserCommand m_homePage;
};
