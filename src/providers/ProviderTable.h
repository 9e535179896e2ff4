#pragma once

#include <QString>
#include <array>
#include <optional>

enum class DomainMatch {
    Exact,    // the address's domain part equals the mail domain
    Contains, // the domain part contains the mail domain anywhere
};

// One of the six providers the tool knows. Its index in the table is its
// position in both provider lists.
struct Provider {
    QString DisplayName;
    QString KanaName;
    DomainMatch Match;
    QString CompletionLead; // empty: no completion while typing
    QString MailDomain;
    QString PopHost;  // fixed hosts: @nifty and biglobe only
    QString SmtpHost;
    QString HomePageUrl;
    QString TestAddress; // biglobe only
};

inline constexpr int ProviderCount = 6;

namespace ProviderIndex {
inline constexpr int Nifty = 0;
inline constexpr int Biglobe = 1;
inline constexpr int Ocn = 2;
inline constexpr int Dion = 3;
inline constexpr int SoNet = 4;
inline constexpr int Odn = 5;
} // namespace ProviderIndex

const std::array<Provider, ProviderCount>& providerTable();

// The first provider, in table order, whose mail domain matches the domain
// part of an address; comparisons are case-sensitive.
std::optional<int> RecognizeProvider(const QString& domainPart);

// The index of the provider with exactly this display name, as the buttons
// beside the lists find the chosen provider.
std::optional<int> providerByDisplayName(const QString& displayName);

// The part of a provider's mail domain before its first "." (the label typed
// in an address before the completion fires), and the rest from that "." on.
QString mailDomainLabel(const Provider& provider);
QString mailDomainRemainder(const Provider& provider);
