#pragma once

#include <memory>

#include <QObject>

// Reports drives appearing and vanishing while the event loop runs. It
// compares the drive list (by mount point) after every change of the
// mount table with the one before: the kernel's table signals changes by
// POLLPRI, a simulated table is watched as a file and its folder.
class DriveWatcher : public QObject {
    Q_OBJECT
public:
    explicit DriveWatcher(QObject* parent = nullptr);
    ~DriveWatcher() override;

    // Reads the table now and reports what changed since the last read.
    // Called on every change notification; callable at any time.
    void rescan();

signals:
    // For one change both may come: deviceRemoved first, then
    // deviceArrived. The watcher already holds the new table when it
    // emits, so a handler may run a nested event loop (a message box).
    void deviceArrived();   // at least one new drive
    void deviceRemoved();   // at least one drive vanished

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
