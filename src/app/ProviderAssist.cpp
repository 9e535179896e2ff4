#include "app/ProviderAssist.h"

#include "account/Acd.h"
#include "app/CrLfPaneText.h"
#include "app/FormControls.h"
#include "platform/MessageBox.h"
#include "providers/ProviderTable.h"
#include "providers/SampleSettings.h"
#include "providers/ServerDerivation.h"

#include <QLabel>

ProviderAssist::ProviderAssist(FormControls& ui, Acd& acd, MessageBox& messageBox, BrowserFactory browsers,
                               QWidget* window)
    : m_ui(ui), m_acd(acd), m_messageBox(messageBox), m_window(window), m_homePage(std::move(browsers))
{
}

void ProviderAssist::showProviderOfAddress()
{
    // The derivation recognises the provider exactly when the address has a
    // local part and a domain, not only blanks, around its first "@".
    if (const std::optional<int> provider = deriveServers(m_ui.txtAddress->text()).provider)
        showProvider(*provider);
}

void ProviderAssist::fillInSample()
{
    if (m_ui.Combo1->currentIndex() < 0)
        return;
    QStringList texts;
    for (const FormControls::Field& field : m_ui.fields)
        texts << field.edit->text();
    if (sampleOverwritesInput(texts)
        && m_messageBox.question(m_window, sampleOverwritePrompt(), sampleOverwriteTitle())
               != MessageBox::Answer::Yes)
        return;
    const std::optional<int> provider = providerByDisplayName(m_ui.Combo1->currentText());
    if (!provider)
        return;
    const SampleSettings& sample = sampleSettings(*provider);
    for (const SampleAssignment& a : sample.assignments) {
        if (a.target == SampleTarget::txtGuide) {
            CrLfPaneText(m_ui.txtGuide).set(a.value);
            continue;
        }
        QWidget* target = m_window->findChild<QWidget*>(sampleTargetObjectName(a.target));
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setText(a.value);
        else if (auto* label = qobject_cast<QLabel*>(target))
            m_ui.setHint(label, a.value);
    }
    m_ui.Combo2->setCurrentIndex(*provider);
    m_acd.Title = sample.title;
}

void ProviderAssist::deriveFromAddress()
{
    const ServerDerivation derived = deriveServers(m_ui.txtAddress->text());
    if (!derived.usable)
        return;
    m_ui.txtPOP->setText(derived.pop);
    m_ui.txtSMTP->setText(derived.smtp);
    switch (derived.idAction) {
    case ServerDerivation::IdAction::Keep:
        break;
    case ServerDerivation::IdAction::Set:
        m_ui.txtID->setText(derived.id);
        break;
    case ServerDerivation::IdAction::Clear:
        m_ui.txtID->clear();
        break;
    }
    if (derived.provider)
        showProvider(*derived.provider);
}

void ProviderAssist::openHomePage()
{
    if (m_ui.Combo2->currentIndex() < 0)
        return;
    const std::optional<int> provider = providerByDisplayName(m_ui.Combo2->currentText());
    if (!provider)
        return;
    m_homePage.open(providerTable()[*provider].HomePageUrl);
}

void ProviderAssist::showProvider(int provider)
{
    m_ui.Combo1->setCurrentIndex(provider);
    m_ui.Combo2->setCurrentIndex(provider);
}
