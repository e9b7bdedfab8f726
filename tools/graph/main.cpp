// zelt6380-graph: draws the answer of a Prometheus range query (the JSON of
// /api/v1/query_range) as a line chart, one line per plant, into a PNG file.
//
//   zelt6380-graph QUERY_RANGE.json OUT.png "Chart title" "Axis title"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineSeries>
#include <QValueAxis>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: zelt6380-graph QUERY_RANGE.json OUT.png TITLE AXIS\n");
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zelt6380-graph: cannot read %s\n", argv[1]);
        return 1;
    }
    const QJsonArray result = QJsonDocument::fromJson(input.readAll())["data"]["result"].toArray();

    auto* chart = new QChart;
    chart->setTitle(QString::fromLocal8Bit(argv[3]));
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("HH:mm:ss"));
    time->setTitleText(QStringLiteral("Time"));
    auto* value = new QValueAxis;
    value->setTitleText(QString::fromLocal8Bit(argv[4]));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);
    double low = 0;
    double high = 0;
    for (const QJsonValue& series : result) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("plant ") + series["metric"]["plant"].toString());
        for (const QJsonValue& point : series["values"].toArray()) {
            const double y = point[1].toString().toDouble();
            line->append(point[0].toDouble() * 1000, y);
            low = std::min(low, y);
            high = std::max(high, y);
        }
        chart->addSeries(line);
        line->attachAxis(time);
        line->attachAxis(value);
        if (line->count() > 0) {
            time->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(line->at(0).x())),
                           QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(line->at(line->count() - 1).x())));
        }
    }
    value->setRange(low - 2, high + 2);

    QChartView view(chart);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(900, 420);
    if (!view.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "zelt6380-graph: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
