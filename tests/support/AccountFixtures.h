#pragma once

#include "account/Acd.h"

#include <QString>
#include <functional>

// The default account with one change made to it.
inline Acd accountWith(const std::function<void(Acd&)>& change)
{
    Acd acd;
    change(acd);
    return acd;
}

// The texts of a whole account, in the file's order.
struct AccountTexts {
    QString Title;
    QString Smtp;
    QString Pop;
    QString PopUser;
    QString Poppass;
    QString FromName;
    QString FromMail;
    QString ReplyMail;
};

// An account in which every field differs from its default: the test's own
// texts, every flag on and every number changed.
inline Acd fullAccount(const AccountTexts& texts)
{
    Acd a;
    a.Title = texts.Title;
    a.Smtp = texts.Smtp;
    a.Pop = texts.Pop;
    a.PopUser = texts.PopUser;
    a.Poppass = texts.Poppass;
    a.FromName = texts.FromName;
    a.FromMail = texts.FromMail;
    a.ReplyUser = 1;
    a.SmtpPort = 587;
    a.PopPort = 995;
    a.PopStock = 1;
    a.PopStockDays = 14;
    a.PopWarning = 1;
    a.PopWarningSize = 1024;
    a.LineLength = 72;
    a.SmtpAttestationPop = 1;
    a.PopAttestation = 1;
    a.ReplyMail = texts.ReplyMail;
    return a;
}
