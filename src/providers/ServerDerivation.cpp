#include "providers/ServerDerivation.h"

#include "providers/NifIdCheck.h"
#include "providers/ProviderTable.h"

namespace
{

// Blankness looks through U+0020 only; the parts themselves are used as
// typed, so a trailing blank of the address reaches the server names.
bool isSpacesOnly(const QString& text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

// The servers a provider names, and what becomes of the ID field.
void setServers(ServerDerivation& result, const QString& pop, const QString& smtp,
                ServerDerivation::IdAction idAction, const QString& id = QString())
{
    result.pop = pop;
    result.smtp = smtp;
    result.idAction = idAction;
    result.id = id;
}

} // namespace

AddressParts splitAddress(const QString& address)
{
    AddressParts parts;
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 0)
        return parts;
    parts.atPosition = at + 1;
    parts.localPart = address.left(at);
    parts.domainPart = address.mid(at + 1);
    return parts;
}

QString dionAccountNotice()
{
    return QStringLiteral("DIONの指定するアカウントを設定します");
}

ServerDerivation deriveServers(const QString& address)
{
    ServerDerivation result;
    if (address.isEmpty())
        return result;
    const AddressParts parts = splitAddress(address);
    if (parts.atPosition == 0 || isSpacesOnly(parts.localPart) || isSpacesOnly(parts.domainPart))
        return result;

    result.usable = true;
    result.provider = RecognizeProvider(parts.domainPart);
    const QString& local = parts.localPart;
    const QString& domain = parts.domainPart;

    if (!result.provider) {
        // An unknown provider most often names its servers after the mail
        // domain, which gives the user a start to correct.
        setServers(result, domain, domain, ServerDerivation::IdAction::Set, local);
        return result;
    }

    const Provider& provider = providerTable()[*result.provider];
    switch (*result.provider) {
    case ProviderIndex::Nifty: {
        QString candidate = local;
        int32_t check = NifIdResult::NotAnId;
        NifIdCheck(candidate, check);
        if (check != NifIdResult::NotAnId)
            setServers(result, provider.PopHost, provider.SmtpHost, ServerDerivation::IdAction::Set, candidate.toUpper());
        else
            setServers(result, provider.PopHost, provider.SmtpHost, ServerDerivation::IdAction::Keep);
        break;
    }
    case ProviderIndex::Biglobe:
        setServers(result, provider.PopHost, provider.SmtpHost, ServerDerivation::IdAction::Set, local);
        break;
    case ProviderIndex::Ocn:
        setServers(result, domain, domain, ServerDerivation::IdAction::Set, local);
        break;
    case ProviderIndex::Dion: {
        // Only DION hosts starting with a lower-case d or f carry the member's
        // own name as the account.
        const bool ownAccount = domain.startsWith(QLatin1Char('d')) || domain.startsWith(QLatin1Char('f'));
        setServers(result, QStringLiteral("pop.") + domain, QStringLiteral("mail.") + domain,
                   ServerDerivation::IdAction::Set, ownAccount ? local : dionAccountNotice());
        break;
    }
    case ProviderIndex::SoNet:
        setServers(result, QStringLiteral("pop.") + domain, QStringLiteral("mail.") + domain,
                   ServerDerivation::IdAction::Set, local);
        break;
    case ProviderIndex::Odn:
        setServers(result, domain, domain, ServerDerivation::IdAction::Clear);
        break;
    default:
        break;
    }
    return result;
}
