#pragma once

// Starting a built program in a temporary folder, as a person's desktop
// would, for the tests that watch whole programs: a copy of the program
// beside stand-ins for the programs it starts, its own temporary and
// configuration folders, and no screen (Qt's offscreen platform).

#include <QProcess>

#include <memory>
#include <string>

// A copy of build/`name` ("vantrel", "tests/crash_fixture") in `folder`,
// under the program's own file name; returns its path.
std::string CopyBuiltProgram(const std::string& name, const std::string& folder);

// Starts `program` with `arguments`; TMPDIR and XDG_CONFIG_HOME are set to
// `home` + "tmp" and `home` + "config" (made here), it runs in `home`
// as its current folder, and the window
// program reports on standard error when its panes are filled.
std::unique_ptr<QProcess> StartProgram(const std::string& program, const QStringList& arguments,
                                       const std::string& home);

// Waits, bounded, until the program's standard error holds `text`.
bool WaitForError(QProcess& process, const std::string& text);

// The files in `folder` whose names match tmp????????.tmp.
std::vector<std::string> ReportFiles(const std::string& folder);
