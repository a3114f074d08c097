// The weekly rule over Pellory.dat and the start of the updater.

#include "support/UpdateCheck.h"

#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "support/Addresses.h"

#include <QProcess>
#include <QSettings>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const QString kDateKey = QStringLiteral("Update/LastUpdateDetect");
const Qt::DateFormat kDateFormat = Qt::ISODate;  // yyyy-mm-dd

// "$" and the window id in upper-case hexadecimal.
std::string WindowIdText(std::uint64_t id)
{
    char text[20];
    std::snprintf(text, sizeof text, "$%llX", static_cast<unsigned long long>(id));
    return text;
}

// Stores today's date. A file that cannot be written costs only an extra
// check at the next start.
void WriteLastUpdateCheck(const std::string& bookkeepingFile, const QDate& today)
{
    QSettings store(QString::fromStdString(bookkeepingFile), QSettings::IniFormat);
    store.setValue(kDateKey, today.toString(kDateFormat));
    store.sync();
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    // Only a program named by an absolute path: a relative one would be
    // looked for in PATH or the current folder.
    if (program.empty() || program.front() != '/' || ::access(program.c_str(), X_OK) != 0 || !platform::IsRegularFile(program))
        return false;
    QStringList list;
    for (const std::string& argument : arguments)
        list.append(QString::fromStdString(argument));
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace

std::string BookkeepingFilePath()
{
    return Settings::ConfigFolder() + "Pellory.dat";
}

std::optional<QDate> ReadLastUpdateCheck(const std::string& bookkeepingFile)
{
    if (!platform::IsRegularFile(bookkeepingFile))
        return std::nullopt;
    const QSettings store(QString::fromStdString(bookkeepingFile), QSettings::IniFormat);
    const QDate date = QDate::fromString(store.value(kDateKey).toString().trimmed(), kDateFormat);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

bool UpdateDue(const std::optional<QDate>& lastCheck, const QDateTime& now)
{
    if (!lastCheck)
        return true;
    // Wall-clock days, as a calendar counts them: a change of summer time
    // between the two dates does not move the boundary by an hour.
    const QDateTime stored(*lastCheck, QTime(0, 0), Qt::UTC);
    const QDateTime current(now.date(), now.time(), Qt::UTC);
    const qint64 days = std::llabs(stored.secsTo(current)) / 86400;
    return days >= kUpdateIntervalDays;
}

std::vector<std::string> UpdaterArguments(const TUpdateCheck& check)
{
    const std::string uninstaller = check.ProgramFolder + "unins000 /SILENT /VERYSILENT";
    std::vector<std::pair<const char*, std::string>> options = {
        {"-url", Addresses::kUpdateDispatchPage},
        {"-product", Addresses::kProductName},
        {"-ver", check.Version},
        {"-uninstall", uninstaller},
        {"-mainwnd", WindowIdText(check.WindowId)},
    };
    if (check.UserStarted)
        options.emplace_back("-showerr", "yes");
    options.emplace_back("-msg", Addresses::kUpdateWizardName);

    std::vector<std::string> arguments;
    for (const auto& [option, value] : options) {
        arguments.emplace_back(option);
        arguments.push_back(value);
    }
    return arguments;
}

TUpdateOutcome RunUpdateCheck(const TUpdateCheck& check)
{
    if (!check.UserStarted) {
        if (!UpdateDue(ReadLastUpdateCheck(check.BookkeepingFile), check.Now))
            return TUpdateOutcome::NotDue;
        WriteLastUpdateCheck(check.BookkeepingFile, check.Now.date());
    }
    return StartDetached(check.ProgramFolder + "update", UpdaterArguments(check)) ? TUpdateOutcome::Started
                                                                                    : TUpdateOutcome::NoUpdater;
}
