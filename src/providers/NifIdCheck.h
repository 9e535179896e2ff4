#pragma once

#include <QString>
#include <cstdint>

// Character classes of the @nifty ID check. The ID check adds these codes up,
// so their values are part of the rule and must not change.
namespace MojiClass
{
inline constexpr int32_t Lower = 1;
inline constexpr int32_t Upper = 3;
inline constexpr int32_t Digit = 7;
inline constexpr int32_t Other = -99;
} // namespace MojiClass

// Classifies the one-character text c by ordinal comparison, so only ASCII
// letters and digits fall into a class; full-width ones are Other.
void MojiCheck(const QString& c, int32_t& code);

// Results of NifIdCheck; callers only tell NotAnId from the rest.
namespace NifIdResult
{
inline constexpr int32_t NotAnId = 0;
inline constexpr int32_t LowerLetters = 1; // three lower-case letters, five digits
inline constexpr int32_t SumOfNine =
    2; // three upper-case letters, or two lower-case and a digit; five digits
} // namespace NifIdResult

// Trims the caller's text in place (U+0020 only) and tells whether it has the
// form of an @nifty ID.
void NifIdCheck(QString& text, int32_t& result);
