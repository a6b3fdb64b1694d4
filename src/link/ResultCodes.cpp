#include "link/ResultCodes.h"

#include <array>

namespace nxa::link {

namespace {

// Indexed by result code; the texts are the product's own, typos included.
const std::array<const char *, kLastResultCode + 1> kLogTexts = {
    "     0 - OK: Data downloaded and saved correctly in the file",
    "     1 - Error: Wrong executable commandline parameters.",
    "     2 - Error: Communicatio failure.",
    "     3 - Error: BR NXA connected but now is busy... Try later.",
    "     4 - Error: Wrong password.",
    "     5 - Error: No BR NXA connected at specified IP.",
    "     6 - Error: Can't connect to specified IP.",
    "     7 - Error: Operation aborted by user.",
    "     8 - Error: Can't create file.",
};

} // namespace

QString resultLogText(int code) {
    if (code < kFirstResultCode || code > kLastResultCode)
        return {};
    return QString::fromLatin1(kLogTexts[static_cast<size_t>(code)]);
}

} // namespace nxa::link
