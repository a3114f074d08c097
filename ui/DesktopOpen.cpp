#include "ui/DesktopOpen.h"

#include "platform/FileSystem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

#include <utility>

namespace {

TDesktopOpener& Opener()
{
    static TDesktopOpener opener;
    return opener;
}

void OpenFolderOf(const std::string& path)
{
    OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(platform::FolderOf(path))));
}

} // namespace

void OpenWithDesktop(const QUrl& url)
{
    if (Opener())
        Opener()(url);
    else
        QDesktopServices::openUrl(url);
}

TDesktopOpener SetDesktopOpener(TDesktopOpener opener)
{
    return std::exchange(Opener(), std::move(opener));
}

void ShowInFileManager(const std::string& path, QObject* context)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OpenFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    // The items as URIs, and no start-up notification id.
    call << QStringList{QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded)} << QString();
    // Never block the window on another program: the answer comes later.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, path] {
        if (watcher->isError())
            OpenFolderOf(path);
        watcher->deleteLater();
    });
}
