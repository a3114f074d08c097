#include "ui/DriveBox.h"

#include "platform/Drives.h"

#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace {

// A mount point is kept as its bytes: one that is not valid UTF-8 would
// lose them in a QString and match no drive afterwards.
QByteArray MountPointData(const std::string& mountPoint)
{
    return QByteArray(mountPoint.data(), qsizetype(mountPoint.size()));
}

} // namespace

TDriveBox::TDriveBox(QWidget* parent) : QComboBox(parent)
{
    // Entries drawn as plain list items take their colours from the
    // window's style sheet (Look.cpp) in every state; the menu-like
    // drawing the style would choose ignores them.
    setItemDelegate(new QStyledItemDelegate(this));
    connect(this, &QComboBox::activated, this, &TDriveBox::UserPicked);
}

void TDriveBox::Rebuild()
{
    {
        const QSignalBlocker quiet(this);
        clear();
        for (const DriveInfo& drive : ListDrives())
            addItem(QString::fromStdString(drive.displayText), MountPointData(drive.mountPoint));
        ShowSelection();
    }
    emit driveReported();
}

int TDriveBox::EntryOf(const std::string& mountPoint) const
{
    return findData(MountPointData(mountPoint));
}

void TDriveBox::SetDrive(const std::string& mountPoint)
{
    const bool changed = mountPoint != FDrive;
    FDrive = mountPoint;
    ShowSelection();
    if (changed)
        emit driveReported();
}

std::string TDriveBox::EntryDrive(int index) const
{
    return itemData(index).toByteArray().toStdString();
}

void TDriveBox::ShowSelection()
{
    const QSignalBlocker quiet(this);
    const int entry = EntryOf(FDrive);
    setCurrentIndex(entry);
    // A vanished drive has no entry but stays selected: the box names it
    // rather than showing nothing.
    setPlaceholderText(entry < 0 ? QString::fromStdString(FDrive) : QString());
}

void TDriveBox::UserPicked(int index)
{
    SetDrive(EntryDrive(index));
    emit driveReported();
}
