#pragma once

// "History Data": the alarm history in a grid, one record per row, with the
// buttons that stop and restart the download, export the grid to a
// spreadsheet file, open a text file and show the list of acronyms. Shown
// modally by the main window's "Alarm History" button; every press makes a
// new one.

#include <QDialog>
#include <QStyle>
#include <QTime>

class QAbstractButton;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zelt {

class HistoryDownload;
class TStringGrid;
class TfrmHistList;

class TfrmHistory : public QDialog {
    Q_OBJECT
public:
    TfrmHistory(HistoryDownload& download, TfrmHistList& list, QWidget* parent = nullptr);
    ~TfrmHistory() override;

    TStringGrid& Grid() { return *stringGrid1_; }
    QLineEdit* edtFileName() const { return edtFileName_; }
    QFileDialog* OpenDialog1() const { return openDialog1_; }

    // After any end of the download or a stop: restart, close, save and open.
    void ShowDownloadStopped();

    void bbtReqStopClick();
    void bbtNewInfoClick();
    void bbtCloseClick();
    void bbtFileSaveClick();
    void bbtFileOpenClick();
    void BitBtn2Click();

    // The export at a given time, into a given folder (the button uses now
    // and the program's or the documents folder).
    void SaveFile(const QString& folder, const QTime& now);

    // Escape does not close the window: Close does.
    void reject() override {}

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void FitColumns();
    QToolButton* PictureButton(const char* name, const char* hint, QStyle::StandardPixmap icon,
                               void (TfrmHistory::*click)());

    HistoryDownload& download_;
    TfrmHistList& list_;
    QLineEdit* edtFileName_ = nullptr;
    QToolButton* bbtFileSave_ = nullptr;
    QToolButton* bbtFileOpen_ = nullptr;
    QToolButton* bbtReqStop_ = nullptr;
    QToolButton* bbtNewInfo_ = nullptr;
    QToolButton* bbtClose_ = nullptr;
    QPushButton* BitBtn2_ = nullptr;
    TStringGrid* stringGrid1_ = nullptr;
    QFileDialog* openDialog1_ = nullptr;
};

} // namespace zelt
