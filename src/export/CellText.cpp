#include "export/CellText.h"

#include "common/ByteFields.h"

namespace nxa::exports {

namespace {

bool isHexDigit(char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isForbiddenControl(unsigned char c) {
    return c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D;
}

// "_x" and four hexadecimal digits at position i. Whatever follows them may
// itself be written as an escape that begins with "_" (a control character),
// so the written text would hold "_xHHHH_" and read back as one character:
// the underscore is escaped whether or not the source text closes it.
bool startsOfficeEscape(std::string_view text, size_t i) {
    if (i + 6 > text.size() || text[i + 1] != 'x')
        return false;
    for (size_t k = i + 2; k < i + 6; ++k) {
        if (!isHexDigit(text[k]))
            return false;
    }
    return true;
}

void appendOfficeEscape(PartBuffer &out, unsigned code) {
    static const char kHex[] = "0123456789ABCDEF";
    const char escaped[7] = {'_',
                             'x',
                             kHex[(code >> 12) & 0xF],
                             kHex[(code >> 8) & 0xF],
                             kHex[(code >> 4) & 0xF],
                             kHex[code & 0xF],
                             '_'};
    out.append(std::string_view(escaped, sizeof escaped));
}

} // namespace

bool isNumeric(std::string_view field) {
    if (field.empty())
        return false;
    bool point = false;
    bool exponent = false;
    bool mantissaDigit = false;
    bool exponentDigit = false;
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (isAsciiDigit(c)) {
            (exponent ? exponentDigit : mantissaDigit) = true;
        } else if (c == '+' || c == '-') {
            if (i != 0 && field[i - 1] != 'e')
                return false;
        } else if (c == '.') {
            if (point || exponent)
                return false;
            point = true;
        } else if (c == 'e') {
            if (exponent || i == 0 || !(isAsciiDigit(field[i - 1]) || field[i - 1] == '.'))
                return false;
            exponent = true;
        } else {
            return false;
        }
    }
    // A mantissa without any digit (".e5") is no number a spreadsheet reads.
    return mantissaDigit && (!exponent || exponentDigit);
}

std::string_view numberText(std::string_view field) {
    if (field.find('e') != std::string_view::npos || field.find('.') == std::string_view::npos)
        return field;
    size_t end = field.size();
    while (end > 0 && field[end - 1] == '0')
        --end;
    if (end > 0 && field[end - 1] == '.')
        --end;
    std::string_view text = field.substr(0, end);
    for (char c : text) {
        if (isAsciiDigit(c))
            return text;
    }
    // ".0" or "-.00": the value is zero, and an empty value is no number.
    return "0";
}

std::string columnLetters(int column) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string letters;
    long n = column;
    if (n < 1)
        return letters;
    while (n != 0) {
        long r = n % 26;
        if (r == 0)
            r = 26;
        letters.insert(letters.begin(), kLetters[r - 1]);
        n = (n - 1) / 26;
    }
    return letters;
}

void appendEscapedText(PartBuffer &out, std::string_view text) {
    size_t runStart = 0;
    auto flushRun = [&](size_t end) {
        if (end > runStart)
            out.append(text.substr(runStart, end - runStart));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::string_view replacement;
        size_t consumed = 1;
        bool forbidden = false;
        unsigned code = c;
        if (c == '&') {
            replacement = "&amp;";
        } else if (c == '<') {
            replacement = "&lt;";
        } else if (c == '>') {
            replacement = "&gt;";
        } else if (c == '_' && startsOfficeEscape(text, i)) {
            replacement = "_x005F_";
        } else if (isForbiddenControl(c)) {
            forbidden = true;
        } else if (c == 0xEF && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                   (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            // U+FFFE and U+FFFF, the two noncharacters XML excludes.
            forbidden = true;
            code = 0xFFFEu | (static_cast<unsigned char>(text[i + 2]) & 1u);
            consumed = 3;
        } else {
            continue;
        }
        flushRun(i);
        if (forbidden)
            appendOfficeEscape(out, code);
        else
            out.append(replacement);
        i += consumed - 1;
        runStart = i + 1;
    }
    flushRun(text.size());
}

} // namespace nxa::exports
