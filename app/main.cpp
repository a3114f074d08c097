// build/vantrel: the window program. Takes at most one argument, the
// computer folder to show first; given more it ends at once.

#include "support/CrashReporter.h"
#include "ui/Application.h"
#include "ui/Main.h"

#include <cstdio>

#include <string>

int main(int argc, char** argv)
{
    // Before anything else: a crash from here on leaves a report.
    if (!InstallCrashReporter())
        std::fputs("vantrel: crash reports are incomplete: a program or temporary folder path is too long"
                   " or not absolute\n", stderr);
    // Counted before Qt sees them: QApplication takes its own options
    // (-style X, -platform X, ...) out of the list, which would hide a
    // second argument.
    if (argc > 2)
        return 0;
    std::string startFolder = argc == 2 ? std::string(argv[1]) : std::string();

    // Qt gets the program name alone, so a folder whose name reads like
    // one of its options is still the folder to show.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    TApplication application(qtArgc, qtArgv);

    // The application title is the caption of every message box.
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));

    TfrmVantrel window(std::move(startFolder));
    window.show();
    application.exec();
    return 0;
}
