// ErrorReport: shows the report a crashed Vantrel left behind.
//   ErrorReport -url:<upload page> -title:<program title> -file:<report>

#include "errorreport/ReportWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    TReportWindow window(ParseReportArguments(arguments));
    window.show();
    return application.exec();
}
