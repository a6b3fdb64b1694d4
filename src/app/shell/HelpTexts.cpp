#include "app/shell/HelpTexts.h"

#include "common/ResultCodes.h"

namespace nxa::app {

QString commandLineGuideText() {
    QString text;
    text += QStringLiteral(
        "The Command Line is a text string that is passed to the system whenever any program is "
        "executed; it contains the path to the program followed by a set of parameters.\n");
    text += QStringLiteral("In Windows, you can start a program using the Start Menu 'Run...' "
                           "command Or by clicking on a Shortcut on the Desktop Or in the Start "
                           "menu.\n");
    text +=
        QStringLiteral("If you start a program by clicking a Shortcut, you can edit the command "
                       "line for the program in Shortcut Properties' 'Target' input box.\n\n");
    text += QStringLiteral("For BrontelNXA_Manager_XX.exe (XX is the number of the version), the "
                           "Command Line in a Shortcut usually looks like this:\n");
    text += QStringLiteral("     C:\\BrontelNXA_Manager_XX.exe\n\n");
    text += QStringLiteral("You can add some start-up parameters to it to define a set of actions "
                           "performed whenever you open the Shortcut.\n\n");
    text += QStringLiteral("Command Line Syntax:\n");
    text += QStringLiteral("     <ip> <password> </TXT | /XLSX> <file>\n");
    text += QStringLiteral("Return Value:\n");
    for (int code = 0; code < kResultCodeCount; ++code)
        text += resultGuideText(static_cast<ResultCode>(code));
    text +=
        QStringLiteral("For examples you can add this 4 parameters:\n    192.168.1.99 583041 /TXT "
                       "C:\\output_text_file.txt\nor\n     192.168.1.99 583041 /XLSX "
                       "C:\\output_excel_file.xlsx\n\n");
    text += QStringLiteral("With these 4 parameters you can automatically save all the recorded "
                           "access contained in the Brontel NXA Ethernet that has IP set to "
                           "192.168.1.99 and password set to 583041. ");
    text +=
        QStringLiteral("The data will be saved in a txt file (/TXT) or an Excel file (/XLSX)\n");
    text +=
        QStringLiteral("Using Command Line is possible to realize a software that periodically "
                       "transfers the data of the recorded access to the company database.\n\n");
    text += QStringLiteral("Everytime is used Command Line is updated a log file (log.txt) located "
                           "in the same directory of the executable.");
    return text;
}

QString aboutText() {
    return QStringLiteral("Brontel NXA Manager\n\n"
                          "Downloads, shows and saves the datalogger of the Brontel NXA, and "
                          "edits its configuration.\n\n"
                          "Version 1.0");
}

} // namespace nxa::app
