#pragma once

// Handing a web page, a file or a folder to the desktop (the default
// browser or file manager), and showing a file selected in the desktop's
// file manager. Tests replace the desktop with their own recorder, as they
// do the message boxes.

#include <QUrl>

#include <functional>
#include <string>

class QObject;

using TDesktopOpener = std::function<void(const QUrl& url)>;

// Opens `url` with the desktop's default program; whether it started is
// not reported.
void OpenWithDesktop(const QUrl& url);

// Replaces the desktop; an empty function restores it. Returns the
// function it replaced.
TDesktopOpener SetDesktopOpener(TDesktopOpener opener);

// Asks the freedesktop file manager (org.freedesktop.FileManager1 on the
// session bus) to show the file at `path` selected. The call does not
// wait: when there is no session bus, no file manager answers, or it
// reports an error, the file's folder is opened with the desktop instead.
// `context` owns the pending call.
void ShowInFileManager(const std::string& path, QObject* context);
