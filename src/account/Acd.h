#pragma once

#include <QString>
#include <cstdint>

// The one account being edited, field by field as the account data file names
// them, in the file's order. Flags hold any integer (a file may say 2).
struct Acd {
    QString Title;
    QString Smtp;
    QString Pop;
    QString PopUser;
    QString Poppass;
    QString FromName;
    QString FromMail;
    int32_t ReplyUser = 0;
    int32_t SmtpPort = 25;
    int32_t PopPort = 110;
    int32_t PopStock = 0;
    int32_t PopStockDays = 3;
    int32_t PopWarning = 0;
    int32_t PopWarningSize = 300;
    int32_t LineLength = 76;
    int32_t SmtpAttestationPop = 0;
    int32_t PopAttestation = 0;
    QString ReplyMail;

    bool operator==(const Acd&) const = default;
};

// Every field back to its default.
void defaultAcd(Acd& acd);

// Only U+0020 counts as a blank to trim: the file format and the mail client
// know no other.
QString trimmedBlanks(const QString& text);
bool isBlank(const QString& text);

// The Title rule: a blank Title takes the sender name as it stands
// (untrimmed), and the record keeps it. A save takes the record's own sender
// name; the advanced dialog the one the main window shows as it opens, which
// may not have been copied into the record yet.
void applyTitleRule(Acd& acd, const QString& senderName);
inline void applyTitleRule(Acd& acd)
{
    applyTitleRule(acd, acd.FromName);
}
