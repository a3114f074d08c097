#include "errorreport/ReportWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

// The largest report shown; a report is a few kilobytes, so anything
// larger is not one of ours and is cut.
constexpr qint64 kLargestReport = 1 << 20;

std::optional<std::string> ChooseWithDialog(QWidget* parent, const std::string& suggestedName)
{
    const QString chosen = QFileDialog::getSaveFileName(parent, QObject::tr("Save Report As"),
                                                        QString::fromStdString(suggestedName));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

} // namespace

TReportWindow::TReportWindow(TReportArguments arguments, QWidget* parent)
    : QDialog(parent), FArguments(std::move(arguments))
{
    if (FArguments.Title.empty())
        FArguments.Title = "Vantrel";
    FChooseSaveFile = [this](const std::string& name) { return ChooseWithDialog(this, name); };
    LoadReport();
    BuildLayout();
}

void TReportWindow::LoadReport()
{
    QFile file(QString::fromStdString(FArguments.ReportFile));
    if (FArguments.ReportFile.empty() || !file.open(QIODevice::ReadOnly)) {
        FText.clear();
        return;
    }
    FText = QString::fromUtf8(file.read(kLargestReport));
}

void TReportWindow::BuildLayout()
{
    const QString title = QString::fromStdString(FArguments.Title);
    const QString file = QString::fromStdString(FArguments.ReportFile);
    setObjectName(QStringLiteral("frmErrorReport"));
    setWindowTitle(tr("%1 Error Report").arg(title));

    lblWhat.setObjectName(QStringLiteral("lblWhat"));
    lblWhat.setWordWrap(true);
    if (FText.isEmpty() && !file.isEmpty() && !QFileInfo::exists(file))
        lblWhat.setText(tr("%1 ended because of an error. Its report %2 cannot be found.").arg(title, file));
    else
        lblWhat.setText(tr("%1 ended because of an error. This report says where it happened.").arg(title));

    memReport.setObjectName(QStringLiteral("memReport"));
    memReport.setReadOnly(true);
    memReport.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memReport.setPlainText(FText);
    memReport.setMinimumSize(560, 260);

    lblSendTo.setObjectName(QStringLiteral("lblSendTo"));
    lblSendTo.setWordWrap(true);
    lblSendTo.setTextFormat(Qt::RichText);
    lblSendTo.setOpenExternalLinks(true);
    const QString page = QString::fromStdString(FArguments.UploadPage).toHtmlEscaped();
    lblSendTo.setText(tr("Please send this report to the maker at <a href=\"%1\">%1</a>, or save a copy and "
                         "attach it to your message. The report stays in <tt>%2</tt> until you delete it.")
                          .arg(page, file.toHtmlEscaped()));

    lblStatus.setObjectName(QStringLiteral("lblStatus"));

    btnCopy = btnsReport.addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
    btnSave = btnsReport.addButton(tr("&Save As..."), QDialogButtonBox::ActionRole);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCopy->setEnabled(!FText.isEmpty());
    btnSave->setEnabled(!FText.isEmpty());
    btnsReport.addButton(QDialogButtonBox::Close);
    connect(btnCopy, &QPushButton::clicked, this, &TReportWindow::CopyReport);
    connect(btnSave, &QPushButton::clicked, this, &TReportWindow::SaveReport);
    connect(&btnsReport, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* control : std::initializer_list<QWidget*>{&lblWhat, &memReport, &lblSendTo, &lblStatus, &btnsReport})
        layout->addWidget(control);
}

void TReportWindow::CopyReport()
{
    QApplication::clipboard()->setText(FText);
    lblStatus.setText(tr("The report is on the clipboard."));
}

void TReportWindow::SaveReport()
{
    const std::string suggested = QFileInfo(QString::fromStdString(FArguments.ReportFile)).fileName().toStdString();
    const std::optional<std::string> target = FChooseSaveFile(suggested.empty() ? "report.txt" : suggested);
    if (!target)
        return;
    const QString path = QString::fromStdString(*target);
    QSaveFile out(path);
    const QByteArray bytes = FText.toUtf8();
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
        lblStatus.setText(tr("Saved a copy as %1.").arg(path));
    else
        lblStatus.setText(tr("Cannot save %1: %2").arg(path, out.errorString()));
}
