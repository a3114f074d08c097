#include "ui/DriveBox.h"

#include "platform/Drives.h"

#include <QSignalBlocker>
#include <QStyledItemDelegate>

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
            addItem(QString::fromStdString(drive.displayText), QString::fromStdString(drive.mountPoint));
        ShowSelection();
    }
    emit driveReported();
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
    return itemData(index).toString().toStdString();
}

void TDriveBox::ShowSelection()
{
    const QSignalBlocker quiet(this);
    const int entry = findData(QString::fromStdString(FDrive));
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
