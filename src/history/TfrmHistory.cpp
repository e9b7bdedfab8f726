#include "history/TfrmHistory.h"

#include "history/HistoryDownload.h"
#include "history/HistoryExport.h"
#include "ui/MessageBox.h"
#include "history/HistoryRecord.h"
#include "history/StringGrid.h"
#include "history/TextEditor.h"
#include "history/TfrmHistList.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <QVBoxLayout>

namespace zelt {

namespace {

// Shown when the export fails for any reason.
const char* const ExportFailedMessage = "Excel이 설치되어 있지 않습니다.";
// Shown when the file picked for opening is not plain text.
const char* const NotPlainTextMessage = "Only plain text files can be opened.";

} // namespace

TfrmHistory::TfrmHistory(HistoryDownload& download, TfrmHistList& list, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint)
    , download_(download)
    , list_(list)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History Data"));
    // Modal to the main window only: the acronym list beside it stays usable.
    setWindowModality(Qt::WindowModal);
    resize(900, 560);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("ToolBar1"));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 2, 4, 2);
    stripLayout->addWidget(new QLabel(QStringLiteral("File Name"), strip));
    edtFileName_ = new QLineEdit(strip);
    edtFileName_->setObjectName(QStringLiteral("edtFileName"));
    edtFileName_->setReadOnly(true);
    edtFileName_->setMinimumWidth(260);
    stripLayout->addWidget(edtFileName_);
    bbtFileSave_ = PictureButton("bbtFileSave", "Save File", QStyle::SP_DialogSaveButton, &TfrmHistory::bbtFileSaveClick);
    bbtFileOpen_ = PictureButton("bbtFileOpen", "Open File", QStyle::SP_DialogOpenButton, &TfrmHistory::bbtFileOpenClick);
    bbtReqStop_ = PictureButton("bbtReqStop", "Stop Request ", QStyle::SP_BrowserStop, &TfrmHistory::bbtReqStopClick);
    bbtNewInfo_ = PictureButton("bbtNewInfo", "New Request", QStyle::SP_BrowserReload, &TfrmHistory::bbtNewInfoClick);
    bbtClose_ = PictureButton("bbtClose", "Close", QStyle::SP_DialogCloseButton, &TfrmHistory::bbtCloseClick);
    for (QToolButton* button : {bbtFileSave_, bbtFileOpen_, bbtReqStop_, bbtNewInfo_, bbtClose_})
        stripLayout->addWidget(button);
    BitBtn2_ = new QPushButton(QStringLiteral("Acronyms"), strip);
    BitBtn2_->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2_->setToolTip(QStringLiteral("Close"));
    BitBtn2_->setAutoDefault(false);
    connect(BitBtn2_, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn2Click(); }); });
    stripLayout->addWidget(BitBtn2_);
    stripLayout->addStretch(1);

    stringGrid1_ = new TStringGrid(HistoryColumns, HistoryPageRows + 1, this);
    stringGrid1_->setObjectName(QStringLiteral("StringGrid1"));
    QFont font = QApplication::font();
    font.setPointSize(8);
    font.setBold(true);
    stringGrid1_->setFont(font);
    stringGrid1_->verticalHeader()->setDefaultSectionSize(20);
    stringGrid1_->horizontalHeader()->setFixedHeight(20);
    FitColumns();

    openDialog1_ = new QFileDialog(this);
    openDialog1_->setObjectName(QStringLiteral("OpenDialog1"));
    openDialog1_->setOption(QFileDialog::DontUseNativeDialog);
    openDialog1_->setFileMode(QFileDialog::ExistingFile);
    openDialog1_->setDefaultSuffix(QStringLiteral("TXT"));
    openDialog1_->setNameFilter(QStringLiteral(" 데이터 파일 (*.txt)"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(stringGrid1_, 1);

    download_.SetWindow(this);
    FormCreate();
}

TfrmHistory::~TfrmHistory()
{
    if (download_.Window() == this)
        download_.SetWindow(nullptr);
}

// The design widths, widened where this platform's font needs more room for
// the title or for a record's text.
void TfrmHistory::FitColumns()
{
    const std::string sample = "020020261231235959535043-038025425025125224900000000";
    const auto measurements = HistoryMeasurementTexts(sample, 200);
    const QFontMetrics metrics(stringGrid1_->font());
    for (int c = 0; c < HistoryColumns; ++c) {
        const HistoryColumn& column = HistoryColumnTable[static_cast<std::size_t>(c)];
        const QString text = c < 11 ? QString::fromLatin1(measurements[static_cast<std::size_t>(c)])
                           : c == 19 ? QStringLiteral("F   F   F   F")
                                     : QStringLiteral("F");
        const int needed = std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(column.title)) + 10;
        stringGrid1_->SetColWidth(c, std::max(column.width, needed));
    }
}

QToolButton* TfrmHistory::PictureButton(const char* name, const char* hint, QStyle::StandardPixmap icon,
                                        void (TfrmHistory::*click)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAccessibleName(QString::fromLatin1(hint).trimmed());
    button->setIcon(style()->standardIcon(icon));
    button->setIconSize(QSize(20, 20));
    connect(button, &QToolButton::clicked, this, [this, click] { RunGuarded([this, click] { (this->*click)(); }); });
    return button;
}

void TfrmHistory::FormCreate()
{
    bbtFileSave_->setEnabled(false);
    bbtReqStop_->setEnabled(true);
    bbtNewInfo_->setEnabled(false);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
}

void TfrmHistory::FormActivate()
{
    for (int c = 0; c < HistoryColumns; ++c)
        stringGrid1_->SetCell(c, 0, QString::fromLatin1(HistoryColumnTable[static_cast<std::size_t>(c)].title));
}

bool TfrmHistory::event(QEvent* event)
{
    // The titles are written whenever the window is activated, and when it
    // is shown, so that a window shown without the focus has them too.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        FormActivate();
    return QDialog::event(event);
}

void TfrmHistory::ShowDownloadStopped()
{
    bbtReqStop_->setEnabled(false);
    for (QToolButton* button : {bbtNewInfo_, bbtClose_, bbtFileSave_, bbtFileOpen_})
        button->setEnabled(true);
}

void TfrmHistory::bbtReqStopClick()
{
    ShowDownloadStopped();
    download_.Timer1().stop();
    download_.Scheduler().HistoryPollCount = 0;
}

void TfrmHistory::bbtNewInfoClick()
{
    bbtReqStop_->setEnabled(true);
    bbtNewInfo_->setEnabled(false);
    bbtFileSave_->setEnabled(false);
    stringGrid1_->ClearRows(download_.HistoryMax);
    stringGrid1_->ScrollToOrigin();
    download_.Restart();
}

void TfrmHistory::bbtCloseClick()
{
    close();
    download_.HistoryState = 0;
    download_.Scheduler().HistoryPollCount = 0;
    download_.HistoryRow = 1;
    download_.ResumeScheduler();
    download_.Scheduler().RequestKind = KindIdle;
}

void TfrmHistory::closeEvent(QCloseEvent* event)
{
    RunGuarded([this] { FormClose(); });
    // Ends the modal wait of the main window.
    QDialog::done(QDialog::Rejected);
    event->accept();
}

void TfrmHistory::FormClose()
{
    if (download_.HistoryState != 0) {
        stringGrid1_->ClearRows(download_.HistoryMax);
        stringGrid1_->ScrollToOrigin();
    }
    bbtReqStop_->setEnabled(true);
    bbtNewInfo_->setEnabled(false);
    bbtFileSave_->setEnabled(false);
    download_.HistoryState = 0;
    // The scheduler resumes its normal work while connected.
    download_.ResumeScheduler();
    download_.Scheduler().RequestKind = KindIdle;
    edtFileName_->clear();
}

void TfrmHistory::bbtFileSaveClick()
{
    SaveFile(HistoryExportFolder(), QTime::currentTime());
}

void TfrmHistory::SaveFile(const QString& folder, const QTime& now)
{
    try {
        const XlsSheet sheet = HistorySheet([this](int col, int row) { return stringGrid1_->Cell(col, row); },
                                            HistoryColumns, download_.HistoryRow);
        edtFileName_->setText(QDir::toNativeSeparators(SaveHistoryWorkbook(sheet, folder, now)));
    } catch (const std::exception& e) {
        ShowMessage(MessageKind::Warning, QString::fromUtf8(ExportFailedMessage),
                           QString::fromUtf8(e.what()), this);
    }
}

void TfrmHistory::bbtFileOpenClick()
{
    if (openDialog1_->exec() != QDialog::Accepted || openDialog1_->selectedFiles().isEmpty())
        return;
    // The filter can be bypassed by typing a name: anything but plain text is refused.
    const QString path = openDialog1_->selectedFiles().constFirst();
    if (!IsPlainTextFile(path)) {
        ShowMessage(MessageKind::Warning, QString::fromLatin1(NotPlainTextMessage), QDir::toNativeSeparators(path),
                    this);
        return;
    }
    // The desktop's text editor, not waited for; a failure to start it is not reported.
    if (const auto editor = TextEditorCommand(path))
        QProcess::startDetached(editor->program, editor->arguments);
}

void TfrmHistory::BitBtn2Click()
{
    list_.show();
    list_.raise();
}

} // namespace zelt
