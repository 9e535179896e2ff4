#include "providers/AddressTypingAid.h"

#include "providers/ProviderTable.h"

#include <array>

namespace
{

QList<CompletionRow> buildRows()
{
    const auto& table = providerTable();
    QList<CompletionRow> rows;
    // The order is the one users of this aid are used to; no tail is a suffix
    // of another, so it never decides which row fires.
    constexpr std::array order{ProviderIndex::Nifty, ProviderIndex::Ocn, ProviderIndex::Dion,
                               ProviderIndex::Odn, ProviderIndex::SoNet};
    for (const int index : order) {
        const Provider& provider = table[index];
        if (provider.CompletionLead.isEmpty())
            continue;
        rows.append({QLatin1Char('.'), provider.CompletionLead + mailDomainLabel(provider),
                     mailDomainRemainder(provider)});
    }
    // The hyphen row completes a fixed domain under the reserved example.jp,
    // so it can never send a user's mail to somebody's real host.
    rows.append({QLatin1Char('-'), QStringLiteral("@vnx"), QStringLiteral("-net.example.jp")});
    return rows;
}

} // namespace

const QList<CompletionRow>& completionRows()
{
    static const QList<CompletionRow> rows = buildRows();
    return rows;
}

std::optional<AddressEdit> completeAddress(const AddressEdit& current, QChar typed)
{
    if (current.selectionStart != current.text.size() || current.selectionLength != 0)
        return std::nullopt;
    for (const CompletionRow& row : completionRows()) {
        if (row.key != typed || !current.text.endsWith(row.tail, Qt::CaseSensitive))
            continue;
        AddressEdit completed;
        completed.text = current.text + row.insert;
        const int selected = int(row.insert.size()) - 1;
        completed.selectionStart = int(completed.text.size()) - selected;
        completed.selectionLength = selected;
        return completed;
    }
    return std::nullopt;
}

AddressEdit acceptCompletion(const AddressEdit& current)
{
    return {current.text, int(current.text.size()), 0};
}

TypingAidAction typingAid(const AddressEdit& current, QChar typed)
{
    TypingAidAction action;
    if (typed == QChar(u'\r')) {
        if (current.selectionLength == 0) {
            action.kind = TypingAidAction::Kind::MoveToDerivation;
        } else {
            action.kind = TypingAidAction::Kind::ReplaceEdit;
            action.edit = acceptCompletion(current);
        }
        return action;
    }
    if (const auto completed = completeAddress(current, typed)) {
        action.kind = TypingAidAction::Kind::ReplaceEdit;
        action.edit = *completed;
    }
    return action;
}
