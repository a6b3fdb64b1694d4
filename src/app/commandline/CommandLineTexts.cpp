#include "app/commandline/CommandLineTexts.h"

#include "link/ResultCodes.h"

namespace nxa::app {

namespace {

bool knownCode(int code) {
    return code >= kFirstResultCode && code <= kLastResultCode;
}

} // namespace

QString resultLogText(int code) {
    return link::resultLogText(code);
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
