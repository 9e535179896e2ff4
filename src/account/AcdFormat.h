#pragma once

#include "account/Acd.h"

#include <QByteArray>
#include <optional>

// The account data file as bytes: "[AccountSection]" and key=value lines in a
// fixed order, CP932, every line ending in CR LF.

// The bytes to write for the record. Text fields are written trimmed and only
// when not blank; the ten integers always. std::nullopt when a value cannot be
// written faithfully: a character CP932 lacks, or a CR or LF inside a value,
// which would end the line there and smuggle the rest in as further keys.
std::optional<QByteArray> formatAcd(const Acd& acd);

// A character of a text field that the file cannot hold, and the field.
struct UnwritableCharacter {
    QString Acd::*field = nullptr;
    char32_t character = 0;
};

// The first character formatAcd fails on for want of a CP932 code, in the
// order the file is written (Title first, ReplyMail last) and within a value
// from its start; values that would not be written (blank) are not looked at.
// std::nullopt when every value can be encoded.
std::optional<UnwritableCharacter> firstUnwritableCharacter(const Acd& acd);

// Reads an account file into the record: defaults first, then every line with
// a known key (exact, case-sensitive) in file order, later lines winning.
// Lines end at CR LF, a lone CR or a lone LF. Answers false when an integer
// lies outside the 32-bit range; acd then holds the defaults plus the lines
// before the failing one. Linear in the size of the input.
bool readAcdInto(const QByteArray& bytes, Acd& acd);
