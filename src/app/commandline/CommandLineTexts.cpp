#include "app/commandline/CommandLineTexts.h"

#include "common/ResultCodes.h"

namespace nxa::app {

QString wrongParametersText() {
    return resultLogText(ResultCode::WrongParameters) +
           QStringLiteral("\n\n"
                          "Examples:\n"
                          "192.168.1.99 583041 /TXT C:\\output_text_file.txt\n"
                          "192.168.1.99 583041 /XLSX C:\\output_excel_file.xlsx");
}

} // namespace nxa::app
