#pragma once

// The command line of ErrorReport, as the crash reporter writes it:
//   ErrorReport -url:<upload page> -title:<program title> -file:<report>
// Each option is one argument; unknown arguments are ignored, and a later
// option of the same name wins.

#include <string>
#include <vector>

struct TReportArguments {
    std::string UploadPage;
    std::string Title;
    std::string ReportFile;
};

TReportArguments ParseReportArguments(const std::vector<std::string>& arguments);
