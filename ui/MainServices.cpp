// The window's services handed to other programs: the weekly update
// check, the help page, showing a video in the file manager; and the
// about box.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "platform/Executable.h"
#include "platform/FileSystem.h"
#include "support/HelpPage.h"
#include "support/UpdateCheck.h"
#include "support/VersionInfo.h"
#include "ui/DesktopOpen.h"
#include "ui/fAbout.h"

void TfrmVantrel::actUpdateExecute(QObject* sender)
{
    TUpdateCheck check;
    check.ProgramFolder = platform::ExecutableFolder();
    check.BookkeepingFile = BookkeepingFilePath();
    check.Version = GetProductVersionText(platform::ExecutablePath());
    check.WindowId = static_cast<std::uint64_t>(winId());
    check.UserStarted = sender != nullptr;
    check.Now = QDateTime::currentDateTime();
    // Whether the updater started is not the window's business.
    (void)RunUpdateCheck(check);
}

void TfrmVantrel::actHelpExecute()
{
    const std::string page = HelpPagePath(platform::ExecutableFolder());
    if (!page.empty())
        OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(page)));
}

void TfrmVantrel::actOpenFolderExecute()
{
    // The first selected computer video, shown selected in its folder.
    const TPaneModel& pane = FForm->lvPC.Pane();
    for (int row = 0; row < pane.RowCount(); ++row) {
        if (pane.Row(row).Selected) {
            ShowInFileManager(pane.RecordAt(row).FullPath, this);
            return;
        }
    }
    const std::string folder = PathBoxText();
    if (!folder.empty() && platform::IsDirectory(folder))
        OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

void TfrmVantrel::actAboutExecute()
{
    TfrmAbout about(this);
    about.exec();
}
