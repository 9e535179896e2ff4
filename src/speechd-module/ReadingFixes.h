#pragma once

#include <string>
#include <string_view>

// Words Open JTalk's dictionary reads wrong, written so that it reads them
// right. Applied to every line before it is synthesised, for every client
// of the module, so only readings that are wrong in any text belong here.
std::string withReadingFixes(std::string_view line);
