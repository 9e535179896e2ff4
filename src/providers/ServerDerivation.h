#pragma once

#include <QString>
#include <optional>

// What the address field says about the other server settings. The window
// writes it into the POP, SMTP and ID fields and both provider lists.
struct ServerDerivation {
    enum class IdAction {
        Keep,  // leave the ID field as it is (an @nifty local part that is no ID)
        Set,   // put `id` into the ID field
        Clear, // empty the ID field (ODN issues IDs unrelated to the address)
    };

    // false: empty address, no "@", or a blank local or domain part; nothing
    // is to be written, only the focus moves on.
    bool usable = false;
    std::optional<int> provider; // index into providerTable(); none keeps the lists' selection
    QString pop;
    QString smtp;
    IdAction idAction = IdAction::Keep;
    QString id;
};

// The parts of an address around its first "@", untrimmed. The domain part
// may hold a further "@".
struct AddressParts {
    qsizetype atPosition = 0; // 1-based, 0 when there is no "@"
    QString localPart;
    QString domainPart;
};

AddressParts splitAddress(const QString& address);

// The DION notice that takes the ID field's place when the address does not
// show which account DION assigned.
QString dionAccountNotice();

ServerDerivation deriveServers(const QString& address);
