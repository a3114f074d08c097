#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

namespace {

TMessageButton ShowRealMessage(const std::string& text, TMessageKind kind)
{
    QWidget* owner = QApplication::activeWindow();
    const QString title = QString::fromStdString(ApplicationTitle());
    const QString body = QString::fromStdString(text);
    switch (kind) {
    case TMessageKind::Information:
        QMessageBox::information(owner, title, body);
        return TMessageButton::Ok;
    case TMessageKind::Error:
        QMessageBox::critical(owner, title, body);
        return TMessageButton::Ok;
    case TMessageKind::Plain: {
        QMessageBox box(QMessageBox::NoIcon, title, body, QMessageBox::Ok, owner);
        box.exec();
        return TMessageButton::Ok;
    }
    case TMessageKind::Question:
        return QMessageBox::question(owner, title, body, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes
            ? TMessageButton::Yes
            : TMessageButton::No;
    case TMessageKind::QuestionWithCancel:
        switch (QMessageBox::question(owner, title, body, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes: return TMessageButton::Yes;
        case QMessageBox::No: return TMessageButton::No;
        default: return TMessageButton::Cancel;
        }
    }
    return TMessageButton::Ok;
}

std::optional<std::string> ChooseRealFolder(const std::string& initialFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(),
                                                             QString::fromStdString(initialFolder));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

TMessageAnswerer& Answerer()
{
    static TMessageAnswerer answerer;
    return answerer;
}

TFolderChooser& Chooser()
{
    static TFolderChooser chooser;
    return chooser;
}

} // namespace

std::string ApplicationTitle()
{
    return QCoreApplication::applicationName().toStdString();
}

TMessageButton ShowMessage(const std::string& text, TMessageKind kind)
{
    if (Answerer())
        return Answerer()(text, kind);
    return ShowRealMessage(text, kind);
}

std::optional<std::string> ChooseFolder(const std::string& initialFolder)
{
    if (Chooser())
        return Chooser()(initialFolder);
    return ChooseRealFolder(initialFolder);
}

TMessageAnswerer SetMessageAnswerer(TMessageAnswerer answerer)
{
    return std::exchange(Answerer(), std::move(answerer));
}

TFolderChooser SetFolderChooser(TFolderChooser chooser)
{
    return std::exchange(Chooser(), std::move(chooser));
}
