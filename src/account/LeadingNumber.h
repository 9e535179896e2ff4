#pragma once

#include <QStringView>
#include <cstdint>
#include <optional>

// The leading-number rule: the number at the start of a text, blanks (space,
// tab, line feed) ignored wherever they stand, with an optional sign, decimal
// point and exponent, or a hexadecimal (&H) or octal (&O) number; reading
// stops at the first character that does not fit and no number gives 0. The
// result is the nearest 32-bit integer, ties to the even neighbour.
// std::nullopt: the number lies outside the 32-bit range and cannot be stored.
std::optional<int32_t> leadingNumber(QStringView text);
