#include "providers/ProviderTable.h"

const std::array<Provider, ProviderCount>& providerTable()
{
    static const std::array<Provider, ProviderCount> table{{
        {QStringLiteral("@nifty(富士通)"), QStringLiteral("アットニフティ"), DomainMatch::Exact, QStringLiteral("@"),
         QStringLiteral("nifty.com"), QStringLiteral("pop.nifty.com"), QStringLiteral("smtp.nifty.com"),
         QStringLiteral("http://www.nifty.com"), QString()},
        // The guide's test mailbox is under example.jp, reserved for
        // examples: one made up at the provider's own domain would send the
        // user's test mail to a stranger.
        {QStringLiteral("biglobe(NEC)"), QStringLiteral("ビッグローブ"), DomainMatch::Contains, QString(),
         QStringLiteral("biglobe.ne.jp"), QStringLiteral("mail.biglobe.ne.jp"), QStringLiteral("mail.biglobe.ne.jp"),
         QStringLiteral("http://www.biglobe.ne.jp"), QStringLiteral("test@example.jp")},
        {QStringLiteral("OCN(NTT)"), QStringLiteral("OCN"), DomainMatch::Contains, QStringLiteral("."),
         QStringLiteral("ocn.ne.jp"), QString(), QString(), QStringLiteral("http://www.ocn.ne.jp"), QString()},
        {QStringLiteral("DION(KDDI)"), QStringLiteral("ディオン"), DomainMatch::Contains, QStringLiteral("."),
         QStringLiteral("dion.ne.jp"), QString(), QString(), QStringLiteral("http://www.dion.ne.jp"), QString()},
        {QStringLiteral("So-net(SONY)"), QStringLiteral("ソーネット"), DomainMatch::Contains, QStringLiteral("."),
         QStringLiteral("so-net.ne.jp"), QString(), QString(), QStringLiteral("http://www.so-net.ne.jp"), QString()},
        {QStringLiteral("ODN(日本テレコム)"), QStringLiteral("ODN"), DomainMatch::Contains, QStringLiteral("."),
         QStringLiteral("odn.ne.jp"), QString(), QString(), QStringLiteral("http://www.odn.ne.jp"), QString()},
    }};
    return table;
}

std::optional<int> RecognizeProvider(const QString& domainPart)
{
    const auto& table = providerTable();
    for (int i = 0; i < ProviderCount; ++i) {
        const Provider& p = table[i];
        const bool matches = p.Match == DomainMatch::Exact ? domainPart == p.MailDomain
                                                           : domainPart.contains(p.MailDomain, Qt::CaseSensitive);
        if (matches)
            return i;
    }
    return std::nullopt;
}

std::optional<int> providerByDisplayName(const QString& displayName)
{
    const auto& table = providerTable();
    for (int i = 0; i < ProviderCount; ++i) {
        if (table[i].DisplayName == displayName)
            return i;
    }
    return std::nullopt;
}

QString mailDomainLabel(const Provider& provider)
{
    const qsizetype dot = provider.MailDomain.indexOf(QLatin1Char('.'));
    return dot < 0 ? provider.MailDomain : provider.MailDomain.left(dot);
}

QString mailDomainRemainder(const Provider& provider)
{
    const qsizetype dot = provider.MailDomain.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : provider.MailDomain.mid(dot);
}
