#pragma once

// Reads a written workbook back with an independent reader: Debian's xlrd,
// run by the system's Python.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace zelt::test {

struct XlsCell {
    int type = 0; // xlrd: 0 empty, 1 text, 2 number, 3 date, 6 blank
    QString text;
    QString format;
};

struct XlsContent {
    int sheets = 0;
    int rows = 0;
    int columns = 0;
    std::vector<std::vector<XlsCell>> cells;
    QJsonObject widths;
    QJsonArray view; // first row and column in view, grid lines shown
    QJsonArray font; // A1's font: name, height, weight, colour, italic, underline
    QJsonArray align; // A1's alignment: horizontal, vertical, rotation
    QJsonArray dimensions; // the used range written: first row, row after the last, same for columns
    QString indexFault; // the string table's index entry that points astray, if any
    QString error;

    const XlsCell& At(int row, int col) const { return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col)); }
};

inline XlsContent ReadXls(const QString& path)
{
    XlsContent content;
    const QString script = QStringLiteral(ZELT_TEST_SOURCE_DIR "/xls_dump.py");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {script, path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        content.error = QString::fromLocal8Bit(python.readAllStandardError()) + python.errorString();
        return content;
    }
    const QJsonObject json = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    content.sheets = json[QStringLiteral("sheets")].toInt();
    content.rows = json[QStringLiteral("nrows")].toInt();
    content.columns = json[QStringLiteral("ncols")].toInt();
    content.widths = json[QStringLiteral("widths")].toObject();
    content.view = json[QStringLiteral("view")].toArray();
    content.font = json[QStringLiteral("font")].toArray();
    content.align = json[QStringLiteral("align")].toArray();
    content.dimensions = json[QStringLiteral("dimensions")].toArray();
    content.indexFault = json[QStringLiteral("index")].toString();
    for (const QJsonValue row : json[QStringLiteral("cells")].toArray()) {
        std::vector<XlsCell> cells;
        for (const QJsonValue cell : row.toArray()) {
            const QJsonArray c = cell.toArray();
            cells.push_back({c[0].toInt(), c[1].toString(), c[2].toString()});
        }
        content.cells.push_back(std::move(cells));
    }
    return content;
}

} // namespace zelt::test
