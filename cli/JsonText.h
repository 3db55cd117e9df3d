// Writing JSON strings from the program's UTF-8 texts.
#pragma once

#include <string>

// text as a quoted JSON string; control characters are escaped, and bytes that
// are not valid UTF-8 become U+FFFD so the output always parses.
std::string JsonQuoted(const std::string& text);
