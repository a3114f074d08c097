#pragma once

// Hears Esc anywhere in one window while it is installed: whichever of
// the window's controls has the focus, the key reaches the watcher
// before the control, and goes no further.

#include <QObject>

#include <functional>

class QWidget;

class TEscapeWatcher : public QObject {
public:
    TEscapeWatcher(QWidget& window, std::function<void()> onEscape);
    ~TEscapeWatcher() override;
    TEscapeWatcher(const TEscapeWatcher&) = delete;
    TEscapeWatcher& operator=(const TEscapeWatcher&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& FWindow;
    std::function<void()> FOnEscape;
};
