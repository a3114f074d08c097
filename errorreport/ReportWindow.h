#pragma once

// ErrorReport's window: what went wrong, the report text, where to send
// it, and buttons to copy the text or save a copy of the file. The report
// file itself is never deleted or changed here.

#include "errorreport/ReportArguments.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>
#include <optional>
#include <string>

// Asks where to save a copy; nullopt when the user cancels. Tests replace
// the file dialog with their own answer.
using TSaveChooser = std::function<std::optional<std::string>(const std::string& suggestedName)>;

class TReportWindow : public QDialog {
    Q_OBJECT
public:
    explicit TReportWindow(TReportArguments arguments, QWidget* parent = nullptr);

    void SetSaveChooser(TSaveChooser chooser) { FChooseSaveFile = std::move(chooser); }

    // The buttons' work.
    void CopyReport();
    void SaveReport();

    const QString& ReportText() const { return FText; }

private:
    void LoadReport();
    void BuildLayout();

    TReportArguments FArguments;
    QString FText;
    TSaveChooser FChooseSaveFile;

    QLabel lblWhat{this};
    QPlainTextEdit memReport{this};
    QLabel lblSendTo{this};
    QLabel lblStatus{this};
    QDialogButtonBox btnsReport{this};
    QPushButton* btnCopy = nullptr;
    QPushButton* btnSave = nullptr;
};
