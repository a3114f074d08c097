#include "tests/support/ProgramRun.h"

#include "tests/support/TmpNames.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include "tests/catalogue/TestApplication.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

char kProgramName[] = "support_programs";
// QProcess wants an application object.
[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TTestApplication<QCoreApplication>(kProgramName));

} // namespace

std::string CopyBuiltProgram(const std::string& name, const std::string& folder)
{
    const std::string target = folder + fs::path(name).filename().string();
    fs::copy_file(std::string(std::getenv("VANTREL_BUILD_DIR")) + "/" + name, target);
    return target;
}

std::unique_ptr<QProcess> StartProgram(const std::string& program, const QStringList& arguments,
                                       const std::string& home)
{
    fs::create_directories(home + "tmp");
    fs::create_directories(home + "config");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(home + "tmp"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(home + "config"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("VANTREL_REPORT_READY"), QStringLiteral("1"));
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QString::fromStdString(home));
    process->start(QString::fromStdString(program), arguments);
    process->waitForStarted(30000);
    return process;
}

bool WaitForError(QProcess& process, const std::string& text)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    QByteArray seen;
    process.setReadChannel(QProcess::StandardError);
    while (std::chrono::steady_clock::now() < deadline) {
        seen += process.readAllStandardError();
        if (seen.contains(QByteArray::fromStdString(text)))
            return true;
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(1000);
    }
    return false;
}

std::vector<std::string> ReportFiles(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (IsTmpName(entry.path().filename().string()))
            found.push_back(entry.path().string());
    }
    return found;
}
