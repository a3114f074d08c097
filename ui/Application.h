#pragma once

// The window program's application object. An error that a command
// handler does not catch is shown in an error box with its text, and the
// program goes on; only what escapes everything reaches the crash
// reporter.

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    // An error while its box is up (a paint of the window behind it, say)
    // would stack a box on the box; it is dropped instead.
    bool FShowingError = false;
};
