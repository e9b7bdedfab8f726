#pragma once

// A one-sheet legacy spreadsheet workbook (BIFF8 records in an OLE2
// compound file, the ".xls" format), written without any outside library.
// Cells hold texts or numbers, each with a number format; columns have
// widths. The layout follows the public format documents:
//   [MS-CFB] Compound File Binary File Format (Microsoft, published format documents)
//   [MS-XLS] Excel Binary File Format (.xls) Structure (Microsoft, published format documents)

#include <QByteArray>
#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace zelt {

class XlsSheet {
public:
    // Longest text a cell takes: every string then fits one record.
    static constexpr int MaxTextLength = 255;
    static constexpr int MaxRows = 65536;
    static constexpr int MaxColumns = 256;
    // The format of a cell: 0 is "General", others come from AddNumberFormat.
    using Format = int;

    explicit XlsSheet(QString name) : name_(std::move(name)) {}

    Format AddNumberFormat(const QString& code);

    // Rows and columns count from 0. A longer text or a cell outside the
    // sheet throws std::invalid_argument.
    void SetText(int row, int col, const QString& text, Format format = 0);
    void SetNumber(int row, int col, double value, Format format = 0);
    // An empty cell that keeps a format.
    void SetBlank(int row, int col, Format format);
    // Width in 1/256 of the width of a character of the default font.
    void SetColumnWidth(int col, int width);

    struct Cell {
        enum class Kind { Text, Number, Blank } kind = Kind::Blank;
        QString text;
        double number = 0;
        Format format = 0;
    };
    const QString& Name() const { return name_; }
    const std::vector<QString>& NumberFormats() const { return formats_; }
    const std::map<std::pair<int, int>, Cell>& Cells() const { return cells_; } // by row, then column
    const std::map<int, int>& ColumnWidths() const { return widths_; }

private:
    void Put(int row, int col, Cell cell);

    QString name_;
    std::vector<QString> formats_;
    std::map<std::pair<int, int>, Cell> cells_;
    std::map<int, int> widths_;
};

// The whole file: a compound file holding the sheet's "Workbook" stream.
QByteArray XlsWorkbookBytes(const XlsSheet& sheet);

} // namespace zelt
