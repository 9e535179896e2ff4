#pragma once

#include <QString>
#include <QStringView>

// How Latin letters, digits and symbols are said in Japanese, never by
// switching to an English voice: the words of the program's own texts from a
// small table, numbers as numbers, and everything else letter by letter with
// Japanese letter names and symbols by name, so that an address, a server
// name or a password can be checked by ear.
namespace AsciiReading
{

// The reading of one run of printable ASCII without blanks. A run that looks
// like an address or a host name ("@" or "." between letters or digits) is
// spelled whole, so "nifty" in "pop.nifty.com" is spelled; a table word is
// only taken when it stands alone.
QString read(QStringView run);

// "エー" for A or a; empty for anything but a letter.
QString letterName(QChar c);
// "ゼロ" to "キュー"; empty for anything but a digit.
QString digitName(QChar c);
// "アットマーク" for @; empty for letters, digits and anything outside ASCII.
QString symbolName(QChar c);
// Up to four digits without a leading zero as a number ("サンビャク"),
// anything longer digit by digit, as IDs and telephone numbers are read.
QString numberReading(QStringView digits);

} // namespace AsciiReading
