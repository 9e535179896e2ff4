#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <optional>

// The address field's text with its selection, as the typing aid sees it.
struct AddressEdit {
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;

    bool operator==(const AddressEdit&) const = default;
};

// One domain the typing aid completes: typing `key` with the caret at the end
// of a text that ends with `tail` inserts `insert` and selects all of it but
// its first character, so Enter accepts it and typing on replaces it.
struct CompletionRow {
    QChar key;
    QString tail;
    QString insert;
};

// The rows in the order they are tried: the providers' "." rows (@nifty, OCN,
// DION, ODN, So-net; biglobe has none), then the "-" row.
const QList<CompletionRow>& completionRows();

// The completed text and selection, or nullopt when no row fires and the key
// is typed normally.
std::optional<AddressEdit> completeAddress(const AddressEdit& current, QChar typed);

// Enter with a selection accepts the completion: caret to the end, nothing
// selected, the focus stays in the field.
AddressEdit acceptCompletion(const AddressEdit& current);

// What one character key in the address field does.
struct TypingAidAction {
    enum class Kind {
        TypeNormally,     // leave the key to the field
        MoveToDerivation, // discard the key; focus to the "↓自動" button
        ReplaceEdit,      // discard the key; show `edit`
    };
    Kind kind = Kind::TypeNormally;
    AddressEdit edit;
};

TypingAidAction typingAid(const AddressEdit& current, QChar typed);
