#include "common/ResultCodes.h"

#include <array>

namespace nxa {

namespace {

struct ResultTexts {
    const char *log;
    const char *guide;
    const char *event; // followed by the subject, where the code names one
};

// Indexed by result code; the texts are the product's own, typos included.
// The guide repeats the log text, but for code 8, which it spells its own way.
const std::array<ResultTexts, kResultCodeCount> kTexts = {{
    {"     0 - OK: Data downloaded and saved correctly in the file",
     "     0 - OK: Data downloaded and saved correctly in the file\n", ""},
    {"     1 - Error: Wrong executable commandline parameters.",
     "     1 - Error: Wrong executable commandline parameters.\n", ""},
    {"     2 - Error: Communicatio failure.", "     2 - Error: Communicatio failure.\n",
     "     2 - Error: Communication failure"},
    {"     3 - Error: BR NXA connected but now is busy... Try later.",
     "     3 - Error: BR NXA connected but now is busy... Try later.\n",
     "     3 - Error: BR NXA connected but now is busy..."},
    {"     4 - Error: Wrong password.", "     4 - Error: Wrong password.\n",
     "     4 - Error: Wrong Password"},
    {"     5 - Error: No BR NXA connected at specified IP.",
     "     5 - Error: No BR NXA connected at specified IP.\n",
     "     5 - Error: No BR NXA connected at "},
    {"     6 - Error: Can't connect to specified IP.",
     "     6 - Error: Can't connect to specified IP.\n", "     6 - Error: Can't connect to "},
    {"     7 - Error: Operation aborted by user.", "     7 - Error: Operation aborted by user.\n",
     "     7 - Error: Operation aborted by user."},
    {"     8 - Error: Can't create file.", "     8 - Error: Can'tcreate file.\n\n",
     "     8 - Error: Can't create file "},
}};

const ResultTexts *textsOf(ResultCode code) {
    const int index = number(code);
    return index >= 0 && index < kResultCodeCount ? &kTexts[static_cast<size_t>(index)] : nullptr;
}

bool namesSubject(ResultCode code) {
    return code == ResultCode::NoTester || code == ResultCode::CannotConnect ||
           code == ResultCode::CantCreateFile;
}

} // namespace

QString resultLogText(ResultCode code) {
    const ResultTexts *texts = textsOf(code);
    return texts ? QString::fromLatin1(texts->log) : QString();
}

QString resultGuideText(ResultCode code) {
    const ResultTexts *texts = textsOf(code);
    return texts ? QString::fromLatin1(texts->guide) : QString();
}

QString resultEventLine(ResultCode code, const QString &subject) {
    const ResultTexts *texts = textsOf(code);
    if (!texts)
        return {};
    const QString line = QString::fromLatin1(texts->event);
    return namesSubject(code) ? line + subject : line;
}

} // namespace nxa
