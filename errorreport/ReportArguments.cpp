#include "errorreport/ReportArguments.h"

#include <string_view>

namespace {

struct TOption {
    std::string_view Prefix;
    std::string TReportArguments::*Field;
};

constexpr TOption kOptions[] = {
    {"-url:", &TReportArguments::UploadPage},
    {"-title:", &TReportArguments::Title},
    {"-file:", &TReportArguments::ReportFile},
};

} // namespace

TReportArguments ParseReportArguments(const std::vector<std::string>& arguments)
{
    TReportArguments parsed;
    for (const std::string& argument : arguments) {
        for (const TOption& option : kOptions) {
            if (std::string_view(argument).substr(0, option.Prefix.size()) == option.Prefix)
                parsed.*option.Field = argument.substr(option.Prefix.size());
        }
    }
    return parsed;
}
