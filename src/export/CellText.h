#pragma once

#include "export/PartBuffer.h"

#include <string>
#include <string_view>

namespace nxa::exports {

// A field is numeric when it is made only of digits, signs, one point and one
// lowercase "e", in the order a plain decimal or exponent number takes.
bool isNumeric(std::string_view field);

// The value text of a numeric field: a plain decimal loses the trailing zeros
// of its fraction and a point left alone; a number with an exponent stays as
// it is. Always a prefix of the field, or "0" when nothing but a sign and zeros
// of a fraction were there.
std::string_view numberText(std::string_view numericField);

// "A" for 1, "Z" for 26, "AA" for 27, ... ; empty below 1.
std::string columnLetters(int column);

// Appends a shared string's text (UTF-8) as XML element content: &, < and >
// become entities, characters XML 1.0 forbids become _xHHHH_, and the
// underscore that begins a literal "_x" + four hexadecimal digits becomes
// _x005F_, closed or not, so every text reads back as itself.
void appendEscapedText(PartBuffer &out, std::string_view text);

} // namespace nxa::exports
