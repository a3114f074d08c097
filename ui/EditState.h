#pragma once

// The window's in-place edit: what the edit that is starting or open is
// about, whether a command asked for it (F2, F3) or a click, and where the
// click landed (pane viewport coordinates).

#include <QPoint>

enum class TEditMode { None, Title, FileName };

struct TEditState {
    TEditMode Mode = TEditMode::None;
    bool Requested = false;
    QPoint ClickPoint;
};
