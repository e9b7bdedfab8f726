#pragma once

// The "Discharges" list of the Trend window: one row per discharge of the
// plant shown in the session database with its figures, the chart of the
// selected one, its exports as CSV and PDF into the documents folder, and
// "Use as This DT Capacity" for a complete test (its tooltip says why it is
// not offered). The operator may enter a discharge's battery temperature in
// its temperature cell; it is kept in the database and replaces the sensor's. It reads the database on a
// connection of its own every 5 seconds while shown; discharges that have
// ended are measured once, so that only new samples are searched again.

#include "trend/DischargeScan.h"
#include "trend/TrendWindow.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zelt {

class DischargeList : public QWidget {
    Q_OBJECT
public:
    // shown gives the plant to list; links.Plant is the attached one, the
    // only one whose tests may be used in the battery window.
    DischargeList(const TrendWindow::Links& links, std::function<std::string()> shown, QWidget* parent = nullptr);
    ~DischargeList() override;

    // Reads the discharges found since the last refresh.
    void Refresh();

    // The selected discharge's files, written into folder (the buttons write
    // into the documents folder), after asking for the site name when none
    // is set. Failures are shown in a message box.
    void ExportCsv(const QString& folder);
    void ExportPdf(const QString& folder);

    QTableWidget* Table() const { return table_; }
    QChartView* ChartView() const { return chart_; }
    QPushButton* UseButton() const { return use_; }
    QPushButton* PdfButton() const { return pdf_; }
    QLabel* SavedLabel() const { return saved_; }
    // Enters the battery temperature of the discharge in row as text; empty
    // removes it. Returns false for text that is not a temperature.
    bool EnterTemp(int row, const QString& text);
    // What the last refresh could not read.
    QString StatusText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowRows();
    void ShowSelected();
    const FoundDischarge* Selected() const;
    void UseSelected();
    // The site name for the reports; asks for it when none is set. None when
    // the operator cancels.
    std::optional<QString> Site();
    void ShowSaved(const QString& paths);

    TrendWindow::Links links_;
    std::function<std::string()> shownPlant_;
    std::unique_ptr<SessionStore> store_;
    std::string plant_;
    CapacityBasis basis_;
    std::vector<FoundDischarge> found_;
    // The selected discharge's samples, for its chart and exports.
    std::vector<TrendSample> samples_;
    std::pair<std::int64_t, std::int64_t> shown_{-1, -1}; // its start and end
    QTableWidget* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* pdf_ = nullptr;
    QPushButton* use_ = nullptr;
    QLabel* saved_ = nullptr;  // the files last written
    QLabel* status_ = nullptr; // what could not be read
    QTimer refresh_;
};

} // namespace zelt
