#pragma once

#include <string>
#include <string_view>

namespace murk::cli {

// A file name as it may be shown on a terminal: control characters (C0, DEL
// and C1), bytes that are not UTF-8 and the backslash become backslash
// escapes (\n, \t, \r, \e, \\, \xHH), so a crafted name can neither move
// the cursor nor split a line. Other text is kept as it is.
std::string EscapeForTerminal(std::string_view text);

// Whether text is well-formed UTF-8: no stray bytes, overlong forms,
// surrogates or values above U+10FFFF.
bool IsUtf8(std::string_view text);

// A JSON string literal, quotes included. Bytes that are not UTF-8 become
// U+FFFD, since JSON text holds characters only.
std::string JsonString(std::string_view text);

}  // namespace murk::cli
