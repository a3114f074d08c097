#pragma once

// Screen cursors: the hourglass for the length of a load, and the
// program's own copy-drag cursor.

#include <QCursor>

// Shows the hourglass while it lives; the arrow (or whatever was shown
// before) comes back on every way out of the scope.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The cursor shown while a drag would copy: our picture with its hot
// spot at the top-left corner; the toolkit's copy cursor when the picture
// is missing.
QCursor LoadCopyDragCursor();
