#include "UiFixture.h"

#include "tests/catalogue/TestApplication.h"
#include "tests/catalogue/TestFolders.h"
#include "tests/common/MakeMedia.h"

#include "platform/DriveWatcher.h"
#include "platform/Settings.h"

#include "ui/Application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace {

char kProgramName[] = "ui_window";
// The offscreen application every window of the run lives in.
[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TTestApplication<TApplication>(kProgramName));

const std::string& SampleFolder()
{
    static QTemporaryDir folder;
    static const std::string path = folder.path().toStdString() + "/";
    return path;
}

const std::string& SampleVideo(const std::string& title, int seconds)
{
    static std::map<std::string, std::string> made;
    const std::string key = std::to_string(seconds) + "/" + title;
    if (auto found = made.find(key); found != made.end())
        return found->second;
    const std::string file = SampleFolder() + "video" + std::to_string(made.size()) + ".MP4";
    VideoRecipe recipe;
    recipe.title = title;
    recipe.seconds = seconds;
    MakeVideo(file, recipe);
    return made.emplace(key, file).first->second;
}

const std::string& SamplePicture(const std::string& colour)
{
    static std::map<std::string, std::string> made;
    if (auto found = made.find(colour); found != made.end())
        return found->second;
    const std::string file = SampleFolder() + colour + ".THM";
    MakePicture(file, "color=c=" + colour);
    return made.emplace(colour, file).first->second;
}

} // namespace

const std::string& TSampleFiles::Video(const std::string& title, int seconds)
{
    return SampleVideo(title, seconds);
}

const std::string& TSampleFiles::RedThumbnail()
{
    return SamplePicture("red");
}

const std::string& TSampleFiles::WhiteThumbnail()
{
    return SamplePicture("white");
}

void TUiTest::SetUp()
{
    // The application title is the caption of every message box.
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    ASSERT_TRUE(FRoot.isValid());
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("VANTREL_MOUNTINFO", Path("mountinfo").c_str(), 1);
    setenv("VANTREL_SYSFS", Path("sysfs").c_str(), 1);
    fs::create_directories(Path("sysfs/dev/block"));
    WriteMountTable();
    // Numbers read as in the C locale unless a test chooses another.
    QLocale::setDefault(QLocale::c());

    FPreviousAnswerer = SetMessageAnswerer([this](const std::string& text, TMessageKind kind) {
        FMessages.push_back({text, kind});
        RunBoxEventLoop();
        if (kind != TMessageKind::Question && kind != TMessageKind::QuestionWithCancel)
            return TMessageButton::Ok;
        if (FAnswers.empty())
            return TMessageButton::No;
        const TMessageButton answer = FAnswers.front();
        FAnswers.pop_front();
        return answer;
    });
    FPreviousChooser = SetFolderChooser([this](const std::string& initial) {
        FDialogStarts.push_back(initial);
        return FChosenFolder;
    });
}

void TUiTest::RunBoxEventLoop()
{
    // A real box runs the event loop until it is answered: whatever was
    // posted before it, and what arrives meanwhile, is handled under it.
    QEventLoop loop;
    if (std::function<void()> hook = std::exchange(FWhileBoxIsUp, nullptr))
        QTimer::singleShot(0, &loop, std::move(hook));
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

void TUiTest::TearDown()
{
    SetMessageAnswerer(std::move(FPreviousAnswerer));
    SetFolderChooser(std::move(FPreviousChooser));
    QLocale::setDefault(FStartedLocale);
}

std::string TUiTest::Path(const std::string& relative) const
{
    return FRoot.path().toStdString() + "/" + relative;
}

std::string TUiTest::MakeFolder(const std::string& relative) const
{
    fs::create_directories(Path(relative));
    return Path(relative);
}

void TUiTest::Put(const std::string& source, const std::string& folder, const std::string& name) const
{
    fs::copy_file(source, fs::path(folder) / name, fs::copy_options::overwrite_existing);
}

void TUiTest::Write(const std::string& folder, const std::string& name, const std::string& text) const
{
    std::ofstream(fs::path(folder) / name, std::ios::binary) << text;
}

std::string TUiTest::MakeHandheld(const std::string& name)
{
    const std::string mountPoint = MakeFolder(name);
    MakeFolder(name + "/MP_ROOT/100MNV01");
    // Each handheld is its own USB disk with one partition, laid out as
    // sysfs lays it out.
    const std::size_t letter = 1 + FMounts.size();
    const std::string disk = "sd" + std::string(1, static_cast<char>('a' + letter));
    const std::string partition = "8:" + std::to_string(16 * letter + 1);
    fs::create_directories(Path("sysfs/block/" + disk + "/" + disk + "1"));
    Write(Path("sysfs/block/" + disk), "removable", "1\n");
    Write(Path("sysfs/block/" + disk + "/" + disk + "1"), "partition", "1\n");
    fs::create_directory_symlink("../../block/" + disk + "/" + disk + "1", Path("sysfs/dev/block/" + partition));
    FMounts.push_back({mountPoint, "/dev/" + disk + "1", "vfat", partition, false});
    return mountPoint;
}

std::string TUiTest::MakeFixedDisk(const std::string& name)
{
    const std::string mountPoint = MakeFolder(name);
    MakeFolder(name + "/MP_ROOT/100MNV01");
    const std::string number = std::to_string(FMounts.size() + 1);
    FMounts.push_back({mountPoint, "/dev/vdz" + number, "ext4", "254:" + number, false});
    return mountPoint;
}

void TUiTest::Plug(const std::string& mountPoint)
{
    for (TMount& mount : FMounts) {
        if (mount.MountPoint == mountPoint)
            mount.Plugged = true;
    }
    WriteMountTable();
}

void TUiTest::Unplug(const std::string& mountPoint)
{
    for (TMount& mount : FMounts) {
        if (mount.MountPoint == mountPoint)
            mount.Plugged = false;
    }
    WriteMountTable();
}

void TUiTest::WriteMountTable() const
{
    // Replaced in one rename, as the kernel's table changes in one step.
    const std::string table = Path("mountinfo");
    {
        std::ofstream out(table + ".new");
        out << "22 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n";
        int id = 900;
        for (const TMount& mount : FMounts) {
            if (!mount.Plugged)
                continue;
            ++id;
            out << id << " 22 " << mount.Device << " / " << mount.MountPoint << " rw,relatime - " << mount.Type << " "
                    << mount.Source << " rw\n";
        }
    }
    fs::rename(table + ".new", table);
}

void TUiTest::StoreSetting(const std::string& name, const std::string& value) const
{
    ASSERT_TRUE(Settings::Write(name, value));
}

std::unique_ptr<TfrmVantrel> TUiTest::StartWindow(const std::string& startFolder, bool watchDrives)
{
    auto window = std::make_unique<TfrmVantrel>(startFolder);
    if (!watchDrives && window->Watcher() != nullptr)
        window->Watcher()->blockSignals(true);
    window->show();
    return window;
}

void TUiTest::RunWaitingLoads(TfrmVantrel& window)
{
    QElapsedTimer clock;
    clock.start();
    while (window.LoadsWaiting()) {
        ASSERT_LT(clock.elapsed(), 30000) << "loads still waiting";
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
}

std::vector<std::string> TUiTest::Names(TfrmVantrel& window, TPaneSide pane)
{
    const TPaneModel& model = window.Pane(pane).Pane();
    std::vector<std::string> names;
    for (int row = 0; row < model.RowCount(); ++row)
        names.push_back(model.RecordAt(row).FileName);
    return names;
}

std::vector<int> TUiTest::SelectedRows(TfrmVantrel& window, TPaneSide pane)
{
    const TPaneModel& model = window.Pane(pane).Pane();
    std::vector<int> rows;
    for (int row = 0; row < model.RowCount(); ++row) {
        if (model.Row(row).Selected)
            rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> Texts(const std::vector<TShownMessage>& messages)
{
    std::vector<std::string> texts;
    for (const TShownMessage& message : messages)
        texts.push_back(message.Text);
    return texts;
}

void THandheldUiTest::SetUp()
{
    TUiTest::SetUp();
    FComputer = MakeFolder("pc") + "/";
    FDrive = MakeHandheld("psp");
    FHandheld = FDrive + "/MP_ROOT/100MNV01/";
}

void THandheldUiTest::Start()
{
    Plug(FDrive);
    FWindow = StartWindow(FComputer);
}
