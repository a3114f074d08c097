#pragma once

// The drive list cbDriver: one entry per drive of ListDrives(), in its
// order, the item data holding the mount point. The selected drive is
// kept apart from the entries, because a rebuild selects the previous
// drive again even when it has vanished from the list; the box then
// shows that drive's mount point with no entry selected.
//
// Every change report is one emission of driveReported():
//   - the selected drive changes (by the program or the user);
//   - the user picks an entry, changed or not (after the first report);
//   - the list is rebuilt.

#include <QComboBox>

#include <string>

class TDriveBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveBox(QWidget* parent = nullptr);

    // Lists the current drives again and selects the previous drive.
    void Rebuild();

    // The selected drive's mount point; empty when none is selected.
    const std::string& Drive() const { return FDrive; }
    void SetDrive(const std::string& mountPoint);

    // The mount point of entry `index`.
    std::string EntryDrive(int index) const;
    // The entry of `mountPoint`; -1 when the list has none.
    int EntryOf(const std::string& mountPoint) const;

signals:
    void driveReported();

private:
    void ShowSelection();
    void UserPicked(int index);

    std::string FDrive;
};
