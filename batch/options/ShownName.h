#pragma once
// Names and paths as the tool prints them: a name that holds a control
// character (a line feed, an escape sequence) or bytes that are not UTF-8
// would move the cursor, recolour the terminal or split a line that scripts
// read, so it is printed quoted for the shell, the way GNU ls quotes it:
// "a\nb" prints as 'a'$'\n''b'. Other names are printed as they are.
#include <string>
#include <string_view>

namespace stampora {

std::string ShownName(std::string_view name);

}  // namespace stampora
