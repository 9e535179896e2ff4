#pragma once

#include <string>
#include <string_view>

// What Open JTalk's dictionary reads wrong or not at all, written so that it
// is read right. Applied to every line before it is synthesised, for every
// client of the module, so only what is wrong in any text belongs here:
// - words it misreads (3件 サンゲン, Tab spelled, 親ディレクトリ シン...);
// - marks it says nothing for (○ △ 髙);
// - symbols inside a run of Latin letters, digits and symbols (a password,
//   an ID, an address, a path: "pa$$w0rd!", "taro_01", "m**.biglobe.ne.jp"),
//   which open_jtalk drops silently, so that every character of such a value
//   is heard. Brackets, and a full stop or comma that ends the run, are left
//   to the voice: in prose they are no part of what is said.
std::string withReadingFixes(std::string_view line);
