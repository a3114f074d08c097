#pragma once

// What every window test shares: a temporary folder with its own
// settings store, mount table and sysfs tree; handhelds that are plain
// folders "mounted" through that table; videos made once per run by
// FFmpeg; and answers for the message boxes and the folder dialog.

#include "ui/Dialogs.h"
#include "ui/Main.h"
#include "ui/MainForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Videos and thumbnails made once for the whole run.
struct TSampleFiles {
    // A video of `seconds` (longer is larger) whose stored title is
    // `title`.
    static const std::string& Video(const std::string& title, int seconds = 1);
    static const std::string& RedThumbnail();
    static const std::string& WhiteThumbnail();
};

// The drive notices, as the user reads them.
inline constexpr const char* kConnect = "New device is detected. Do you want to connect this device?";
inline constexpr const char* kNotHandheld = "The current connected device is not PSP device.";

struct TShownMessage {
    std::string Text;
    TMessageKind Kind;
};

class TUiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& relative) const;
    std::string MakeFolder(const std::string& relative) const;
    // Copies `source` to `folder`/`name`.
    void Put(const std::string& source, const std::string& folder, const std::string& name) const;
    // Writes `text` as `folder`/`name`.
    void Write(const std::string& folder, const std::string& name, const std::string& text) const;

    // A folder that plays a handheld: its video folder is made, and it
    // is listed as a removable FAT medium once Plug() has been called.
    // Returns the mount point.
    std::string MakeHandheld(const std::string& name);
    // A folder listed as a fixed ext4 disk.
    std::string MakeFixedDisk(const std::string& name);
    void Plug(const std::string& mountPoint);
    void Unplug(const std::string& mountPoint);

    void StoreSetting(const std::string& name, const std::string& value) const;

    // Device events reach the window only through DriveChangeHandler
    // calls of the test, unless `watchDrives` lets the watcher through.
    std::unique_ptr<TfrmVantrel> StartWindow(const std::string& startFolder = {}, bool watchDrives = false);

    // Lets the event loop run until no load asked for during another one
    // waits any more.
    static void RunWaitingLoads(TfrmVantrel& window);

    // The file names of a pane's rows, top to bottom.
    static std::vector<std::string> Names(TfrmVantrel& window, TPaneSide pane);
    static std::vector<int> SelectedRows(TfrmVantrel& window, TPaneSide pane);
    template <class T>
    static T& Control(TfrmVantrel& window, const char* name)
    {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        if (control == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *control;
    }

    // Answers for the next questions (Yes, No or Cancel); an empty queue
    // answers No.
    std::deque<TMessageButton> FAnswers;
    std::vector<TShownMessage> FMessages;
    // Runs inside the next message box, while its event loop turns, as a
    // device event or a timer would reach the window behind a real box.
    std::function<void()> FWhileBoxIsUp;
    // What the folder dialog returns next (nullopt: cancelled).
    std::optional<std::string> FChosenFolder;
    std::vector<std::string> FDialogStarts;

private:
    void WriteMountTable() const;
    void RunBoxEventLoop();

    QTemporaryDir FRoot;
    struct TMount {
        std::string MountPoint;
        std::string Source;
        std::string Type;
        std::string Device;  // major:minor, as sysfs names it
        bool Plugged = false;
    };
    std::vector<TMount> FMounts;
    TMessageAnswerer FPreviousAnswerer;
    TFolderChooser FPreviousChooser;
    QLocale FStartedLocale;
};

std::vector<std::string> Texts(const std::vector<TShownMessage>& messages);

// A window over a computer folder "pc" and a handheld "psp" that Start()
// plugs in first.
class THandheldUiTest : public TUiTest {
protected:
    void SetUp() override;
    void Start();
    TPaneView& Pane(TPaneSide side) { return FWindow->Pane(side); }

    std::string FComputer;  // with trailing '/'
    std::string FDrive;     // the handheld's mount point
    std::string FHandheld;  // its video folder, with trailing '/'
    std::unique_ptr<TfrmVantrel> FWindow;
};
