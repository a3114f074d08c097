#pragma once

// The about box TfrmAbout: the banner, the program's version, the legal
// notice, the maker's line and the link to the home page. A click on the
// banner closes it; a click on the link opens the page and closes it.

#include <QDialog>
#include <QLabel>

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);

    void FormShow();
    void imgAboutClick();
    void lblHomeClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel imgAbout{this};
    QLabel lblVersion{this};
    QLabel Label2{this};
    QLabel Label1{this};
    QLabel lblHome{this};
};
