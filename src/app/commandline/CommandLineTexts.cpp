#include "app/commandline/CommandLineTexts.h"

#include <array>

namespace nxa::app {

namespace {

// Indexed by result code; the texts are the product's own, typos included.
const std::array<const char *, 9> kLogTexts = {
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

bool knownCode(int code) {
    return code >= kFirstResultCode && code <= kLastResultCode;
}

} // namespace

QString resultLogText(int code) {
    if (!knownCode(code))
        return {};
    return QString::fromLatin1(kLogTexts[static_cast<size_t>(code)]);
}

QString resultHelpText(int code) {
    if (!knownCode(code))
        return {};
    if (code == 8)
        return QStringLiteral("     8 - Error: Can'tcreate file.\n\n");
    return resultLogText(code) + QLatin1Char('\n');
}

QString wrongParametersText() {
    return QStringLiteral("     1 - Error: Wrong executable commandline parameters.\n\n"
                          "Examples:\n"
                          "192.168.1.99 583041 /TXT C:\\output_text_file.txt\n"
                          "192.168.1.99 583041 /XLSX C:\\output_excel_file.xlsx");
}

} // namespace nxa::app
