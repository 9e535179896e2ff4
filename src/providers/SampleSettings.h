#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The main-window controls a provider's worked example writes to. Their
// names are the controls' object names.
enum class SampleTarget {
    txtName,
    lblAddress,
    txtAddress,
    lblPOP,
    txtPOP,
    lblSMTP,
    txtSMTP,
    lblID,
    txtID,
    lblPW,
    txtPW,
    txtGuide,
};

QString sampleTargetObjectName(SampleTarget target);

struct SampleAssignment {
    SampleTarget target;
    QString value;

    bool operator==(const SampleAssignment&) const = default;
};

// One provider's worked example: the assignments in the order they are made
// (captions a row leaves out keep what they showed) and the account title.
struct SampleSettings {
    QList<SampleAssignment> assignments;
    QString title;
};

// providerIndex is an index into providerTable(); any other index gives an
// example with no assignments and an empty title.
const SampleSettings& sampleSettings(int providerIndex);

// The member host labels the captions show as examples.
namespace SampleHostLabel
{
inline constexpr char16_t Biglobe[] = u"mb1";
inline constexpr char16_t Ocn[] = u"abc";
inline constexpr char16_t Dion[] = u"da";
inline constexpr char16_t SoNet[] = u"pb";
} // namespace SampleHostLabel

// The question asked before an example overwrites what the user typed.
QString sampleOverwritePrompt();
QString sampleOverwriteTitle();

// Whether loading an example would overwrite input: any of the six field
// texts holds more than blanks (U+0020).
bool sampleOverwritesInput(const QStringList& fieldTexts);
