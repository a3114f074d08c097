#pragma once

// The weekly start of the separate updater "update", which lives in the
// program's folder. The date of the last automatic check is kept in
// "Pellory.dat" in the per-user configuration folder (INI: section
// "Update", key "LastUpdateDetect", a date written yyyy-mm-dd).

#include <QDate>
#include <QDateTime>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Days between checks.
inline constexpr int kUpdateIntervalDays = 7;

struct TUpdateCheck {
    std::string ProgramFolder;    // where "update" and "unins000" are, with a trailing '/'
    std::string BookkeepingFile;  // the Pellory.dat file
    std::string Version;          // the program's product version text
    std::uint64_t WindowId = 0;   // the main window's native id
    bool UserStarted = false;     // started by the user rather than at start-up
    QDateTime Now;                // local date and time of the check
};

enum class TUpdateOutcome {
    NotDue,      // checked less than a week ago: nothing started, nothing written
    Started,     // the updater was started
    NoUpdater,   // it was time, but "update" is missing or could not be started
};

// "Pellory.dat" in the per-user configuration folder.
std::string BookkeepingFilePath();

// The stored date of the last automatic check; nullopt when there is none
// or it is not a date (never checked).
std::optional<QDate> ReadLastUpdateCheck(const std::string& bookkeepingFile);

// True when the updater is due: never checked, or the whole days between
// `now` and midnight of `lastCheck`, either way round, are at least seven.
bool UpdateDue(const std::optional<QDate>& lastCheck, const QDateTime& now);

// The updater's arguments, in order: -url, -product, -ver, -uninstall,
// -mainwnd, -showerr (only when the user started the check) and -msg,
// each followed by its value as one argument.
std::vector<std::string> UpdaterArguments(const TUpdateCheck& check);

// The check: for the automatic one, the weekly rule and the new date
// (a file that cannot be written is ignored); then the updater is started
// detached, never waited for.
TUpdateOutcome RunUpdateCheck(const TUpdateCheck& check);
