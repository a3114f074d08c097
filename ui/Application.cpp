#include "ui/Application.h"

#include "ui/Dialogs.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (!FShowingError) {
            FShowingError = true;
            ShowMessage(error.what(), TMessageKind::Error);
            FShowingError = false;
        }
        return false;
    }
}
