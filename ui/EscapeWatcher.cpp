#include "ui/EscapeWatcher.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

TEscapeWatcher::TEscapeWatcher(QWidget& window, std::function<void()> onEscape)
    : FWindow(window), FOnEscape(std::move(onEscape))
{
    QCoreApplication::instance()->installEventFilter(this);
}

TEscapeWatcher::~TEscapeWatcher()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool TEscapeWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != &FWindow && !FWindow.isAncestorOf(widget)))
        return false;
    FOnEscape();
    return true;
}
