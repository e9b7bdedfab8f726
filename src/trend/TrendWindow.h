#pragma once

// The "Trend" window: the recorded samples of a plant on stacked
// charts sharing one time axis (DC bus, block voltages, battery current,
// temperatures). A reader on its own thread and connection reads the session
// database, reduced to a lowest and a highest value per pixel column, and the
// window re-reads it every few seconds while shown so that it follows the live
// stream. The wheel zooms and a drag pans the time axis; that stops following
// until a span is chosen again. A database that cannot be read leaves the
// charts empty. A chooser lists every plant in the database; the window
// opens on the attached plant when there is one, else the most recently seen.

#include "trend/SessionStore.h"
#include "trend/TrendReader.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;


namespace zelt {

class TimeAxisZoom;

class TrendWindow : public QWidget {
    Q_OBJECT

public:
    struct Links {
        QString DatabasePath;
        std::function<std::string()> Plant;  // the plant the recorder writes (the attached one)
        std::function<std::int64_t()> Clock; // PC time, UTC milliseconds
        // What the discharge list measures against, read at each of its refreshes.
        std::function<CapacityBasis()> Basis;
        DetectionSettings Detection;
        // "Use as This DT Capacity": the battery window with this capacity.
        std::function<void(int ampHours)> UseAsDtCapacity;
        CorrectionRange Correction{};
    };

    explicit TrendWindow(Links links, QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Asks for the selected span, or the zoomed range, to be read; it is drawn
    // when the read comes back.
    void Refresh();

    QComboBox* SpanBox() const { return span_; }
    QComboBox* PlantBox() const { return plant_; }
    // The plant shown.
    std::string ShownPlant() const { return chosen_; }
    // Lists the plants in the database again, keeping the one shown.
    void RefreshPlants();
    // The series by name: "DC", "Block 1".."Block 4", "Battery", "Batt 1", "Rack".
    QLineSeries* Series(const QString& name) const;
    // What the last refresh could not read; empty when it succeeded.
    QString ReadError() const;
    // Shows every series' value at timeMs (the mouse's time on a chart) in
    // the cursor line: the drawn bucket at or before it, as "low..high" when
    // the bucket's values differ.
    void ShowCursor(std::int64_t timeMs);
    QString CursorText() const;
    std::vector<QChartView*> ChartViews() const { return views_; }

signals:
    // A read has come back and been drawn.
    void Drawn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Trace {
        QLineSeries* series;
        const char* unit;
        double (*value)(const TrendSample&);
    };
    struct TraceWanted {
        const char* name;
        const char* unit;
        double (*value)(const TrendSample&);
    };

    QChartView* AddChart(const QString& unit, const std::vector<TraceWanted>& wanted);
    void Draw(const std::vector<SampleBucket>& buckets, std::int64_t fromMs, std::int64_t toMs);
    void ShowResult(const TrendResult& result);
    void FollowLive();
    int BucketCount() const;

    Links links_;
    std::unique_ptr<TrendReader> reader_;
    TimeAxisZoom* zoom_ = nullptr;
    // Following the live stream, or showing the range zoomed or panned to.
    bool follow_ = true;
    std::int64_t viewFromMs_ = 0;
    std::int64_t viewToMs_ = 0;
    QComboBox* span_ = nullptr;
    QComboBox* plant_ = nullptr;
    std::string chosen_;
    std::unique_ptr<SessionStore> plants_; // lists the plants
    class DischargeList* list_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* cursor_ = nullptr;
    std::vector<QChartView*> views_;
    std::vector<Trace> traces_;
    std::vector<QChart*> charts_;
    std::vector<QDateTimeAxis*> timeAxes_;
    QTimer refresh_;
};

} // namespace zelt
