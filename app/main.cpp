// build/vantrel: the window program. Takes at most one argument, the
// computer folder to show first; given more it ends at once.

#include "support/CrashReporter.h"
#include "ui/Main.h"

#include <QApplication>

#include <string>

int main(int argc, char** argv)
{
    // Before anything else: a crash from here on leaves a report.
    InstallCrashReporter();
    QApplication application(argc, argv);
    if (argc > 2)
        return 0;
    std::string startFolder = argc == 2 ? std::string(argv[1]) : std::string();

    // The application title is the caption of every message box.
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));

    TfrmVantrel window(std::move(startFolder));
    window.show();
    application.exec();
    return 0;
}
