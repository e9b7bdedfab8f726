#include "history/XlsWorkbook.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace zelt {

// ---- The sheet -------------------------------------------------------------

XlsSheet::Format XlsSheet::AddNumberFormat(const QString& code)
{
    formats_.push_back(code);
    return static_cast<Format>(formats_.size());
}

void XlsSheet::Put(int row, int col, Cell cell)
{
    if (row < 0 || row >= MaxRows || col < 0 || col >= MaxColumns)
        throw std::invalid_argument("cell outside the sheet");
    if (cell.format < 0 || cell.format > static_cast<Format>(formats_.size()))
        throw std::invalid_argument("unknown number format");
    cells_[{row, col}] = std::move(cell);
}

void XlsSheet::SetText(int row, int col, const QString& text, Format format)
{
    if (text.size() > MaxTextLength)
        throw std::invalid_argument("cell text longer than 255 characters");
    Put(row, col, {Cell::Kind::Text, text, 0, format});
}

void XlsSheet::SetNumber(int row, int col, double value, Format format)
{
    Put(row, col, {Cell::Kind::Number, {}, value, format});
}

void XlsSheet::SetBlank(int row, int col, Format format)
{
    Put(row, col, {Cell::Kind::Blank, {}, 0, format});
}

void XlsSheet::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= MaxColumns)
        throw std::invalid_argument("column outside the sheet");
    widths_[col] = std::clamp(width, 0, 255 * 256);
}

namespace {

// ---- Little-endian output --------------------------------------------------

class Bytes {
public:
    QByteArray data;

    void U8(unsigned value) { data.append(static_cast<char>(value & 0xFF)); }
    void U16(unsigned value)
    {
        U8(value);
        U8(value >> 8);
    }
    void U32(std::uint32_t value)
    {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void F64(double value)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        U32(static_cast<std::uint32_t>(bits));
        U32(static_cast<std::uint32_t>(bits >> 32));
    }
    void Utf16(const QString& text)
    {
        for (const QChar c : text)
            U16(c.unicode());
    }
    void Zeros(qsizetype count) { data.append(count, '\0'); }
    qsizetype Size() const { return data.size(); }
    void PutU32At(qsizetype at, std::uint32_t value) { qToLittleEndian(value, data.data() + at); }
};

// ---- BIFF8 records [MS-XLS] 2.4 ----------------------------------------------

constexpr unsigned RecBof = 0x0809, RecEof = 0x000A, RecCodePage = 0x0042, RecWindow1 = 0x003D,
                   RecDateMode = 0x0022, RecFont = 0x0031, RecFormat = 0x041E, RecXf = 0x00E0,
                   RecStyle = 0x0293, RecBoundSheet = 0x0085, RecSst = 0x00FC, RecContinue = 0x003C,
                   RecExtSst = 0x00FF, RecDefColWidth = 0x0055, RecColInfo = 0x007D, RecDimensions = 0x0200,
                   RecLabelSst = 0x00FD, RecNumber = 0x0203, RecBlank = 0x0201, RecWindow2 = 0x023E;

// Most data one record carries; more goes into Continue records.
constexpr qsizetype MaxRecordData = 8224;

// Fifteen style XFs come first, then one cell XF per number format.
constexpr unsigned StyleXfCount = 15;
// Custom number formats are numbered from here.
constexpr unsigned FirstCustomFormat = 164;

void Record(Bytes& out, unsigned type, const Bytes& body)
{
    out.U16(type);
    out.U16(static_cast<unsigned>(body.Size()));
    out.data.append(body.data);
}

void Bof(Bytes& out, unsigned substreamType)
{
    Bytes b;
    b.U16(0x0600); // BIFF8
    b.U16(substreamType);
    b.U16(0x0DBB); // build
    b.U16(0x07CC); // year
    b.U32(0);      // file history flags
    b.U32(0x06);   // lowest BIFF version that wrote the file
    Record(out, RecBof, b);
}

void Eof(Bytes& out)
{
    Record(out, RecEof, Bytes());
}

void Font(Bytes& out)
{
    const QString name = QStringLiteral("Arial");
    Bytes b;
    b.U16(200);    // 10 points, in twips
    b.U16(0);      // no italic, strike-out, outline or shadow
    b.U16(0x7FFF); // automatic colour
    b.U16(400);    // normal weight
    b.U16(0);      // no super- or subscript
    b.U8(0);       // no underline
    b.U8(0);       // family
    b.U8(0);       // character set
    b.U8(0);
    b.U8(static_cast<unsigned>(name.size()));
    b.U8(1); // UTF-16 characters
    b.Utf16(name);
    Record(out, RecFont, b);
}

void Xf(Bytes& out, unsigned numberFormat, bool style)
{
    Bytes b;
    b.U16(0);                       // font 0
    b.U16(numberFormat);
    b.U16(style ? 0xFFF5 : 0x0001); // locked; a style XF has no parent, a cell XF has style 0
    b.U8(0x20);                     // general alignment, bottom
    b.U8(0);                        // no rotation
    b.U8(0);                        // no indent
    // A cell XF with a number format of its own says so.
    b.U8(style ? 0 : (numberFormat != 0 ? 0x04 : 0));
    b.U32(0);                       // no borders
    b.U32(0);
    b.U16(0x20C0);                  // no fill: window text on window background
    Record(out, RecXf, b);
}

// The shared string table and its index, strings in order of first use.
struct StringTable {
    std::vector<QString> strings;
    QHash<QString, std::uint32_t> index;
    std::uint32_t uses = 0;

    std::uint32_t Add(const QString& text)
    {
        ++uses;
        const auto found = index.constFind(text);
        if (found != index.constEnd())
            return *found;
        const auto at = static_cast<std::uint32_t>(strings.size());
        index.insert(text, at);
        strings.push_back(text);
        return at;
    }
};

// SST with Continue records that start at string boundaries (a string of at
// most 255 characters always fits one record), then EXTSST pointing at
// every dsst-th string.
void SharedStrings(Bytes& out, const StringTable& table)
{
    const std::size_t count = table.strings.size();
    const std::size_t perBucket = std::max<std::size_t>(8, (count + 127) / 128);
    std::vector<std::pair<std::uint32_t, unsigned>> buckets; // stream position, offset in its record

    Bytes body;
    body.U32(table.uses);
    body.U32(static_cast<std::uint32_t>(count));
    unsigned recordType = RecSst;
    for (std::size_t i = 0; i < count; ++i) {
        const QString& text = table.strings[i];
        const qsizetype size = 3 + 2 * text.size();
        if (body.Size() + size > MaxRecordData) {
            Record(out, recordType, body);
            body = Bytes();
            recordType = RecContinue;
        }
        if (i % perBucket == 0) {
            const qsizetype offset = 4 + body.Size();
            buckets.emplace_back(static_cast<std::uint32_t>(out.Size() + offset), static_cast<unsigned>(offset));
        }
        body.U16(static_cast<unsigned>(text.size()));
        body.U8(1); // UTF-16 characters
        body.Utf16(text);
    }
    Record(out, recordType, body);

    Bytes ext;
    ext.U16(static_cast<unsigned>(perBucket));
    for (const auto& [position, offset] : buckets) {
        ext.U32(position);
        ext.U16(offset);
        ext.U16(0);
    }
    Record(out, RecExtSst, ext);
}

void Cell(Bytes& out, int row, int col, const XlsSheet::Cell& cell, StringTable& strings)
{
    Bytes b;
    b.U16(static_cast<unsigned>(row));
    b.U16(static_cast<unsigned>(col));
    b.U16(StyleXfCount + static_cast<unsigned>(cell.format));
    switch (cell.kind) {
    case XlsSheet::Cell::Kind::Text:
        b.U32(strings.Add(cell.text));
        Record(out, RecLabelSst, b);
        break;
    case XlsSheet::Cell::Kind::Number:
        b.F64(cell.number);
        Record(out, RecNumber, b);
        break;
    case XlsSheet::Cell::Kind::Blank:
        Record(out, RecBlank, b);
        break;
    }
}

// The worksheet substream; collects its texts into strings.
Bytes Worksheet(const XlsSheet& sheet, StringTable& strings)
{
    Bytes out;
    Bof(out, 0x0010);
    Bytes defWidth;
    defWidth.U16(8);
    Record(out, RecDefColWidth, defWidth);
    for (const auto& [col, width] : sheet.ColumnWidths()) {
        Bytes b;
        b.U16(static_cast<unsigned>(col));
        b.U16(static_cast<unsigned>(col));
        b.U16(static_cast<unsigned>(width));
        b.U16(StyleXfCount);
        b.U16(0); // visible, not collapsed
        b.U16(0);
        Record(out, RecColInfo, b);
    }

    int lastRow = -1, firstCol = XlsSheet::MaxColumns, lastCol = -1;
    for (const auto& [at, cell] : sheet.Cells()) {
        lastRow = std::max(lastRow, at.first);
        firstCol = std::min(firstCol, at.second);
        lastCol = std::max(lastCol, at.second);
    }
    const int firstRow = sheet.Cells().empty() ? 0 : sheet.Cells().begin()->first.first;
    Bytes dimensions;
    dimensions.U32(static_cast<std::uint32_t>(firstRow));
    dimensions.U32(static_cast<std::uint32_t>(lastRow + 1));
    dimensions.U16(static_cast<unsigned>(lastCol < 0 ? 0 : firstCol));
    dimensions.U16(static_cast<unsigned>(lastCol + 1));
    dimensions.U16(0);
    Record(out, RecDimensions, dimensions);

    for (const auto& [at, cell] : sheet.Cells())
        Cell(out, at.first, at.second, cell, strings);

    Bytes window2;
    window2.U16(0x06B6); // grid lines, headers, zeros, outline symbols, default grid colour, selected, shown
    window2.U16(0);      // first row in view
    window2.U16(0);      // first column in view
    window2.U32(64);     // default grid colour
    window2.U16(0);
    window2.U16(0);
    window2.U32(0);
    Record(out, RecWindow2, window2);
    Eof(out);
    return out;
}

QByteArray WorkbookStream(const XlsSheet& sheet)
{
    StringTable strings;
    const Bytes worksheet = Worksheet(sheet, strings);

    Bytes out;
    Bof(out, 0x0005);
    Bytes codePage;
    codePage.U16(1200); // UTF-16
    Record(out, RecCodePage, codePage);
    Bytes window1;
    window1.U16(0);
    window1.U16(0);
    window1.U16(0x3000);
    window1.U16(0x2000);
    window1.U16(0x0038); // scroll bars and sheet tabs shown
    window1.U16(0);      // selected sheet
    window1.U16(0);      // first sheet tab shown
    window1.U16(1);      // sheets selected
    window1.U16(600);    // tab bar width, per mille
    Record(out, RecWindow1, window1);
    Bytes dateMode;
    dateMode.U16(0); // dates count from 1900
    Record(out, RecDateMode, dateMode);
    // Font index 4 does not exist: five records give fonts 0 to 3 and 5.
    for (int i = 0; i < 5; ++i)
        Font(out);
    const std::vector<QString>& formats = sheet.NumberFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        Bytes b;
        b.U16(FirstCustomFormat + static_cast<unsigned>(i));
        b.U16(static_cast<unsigned>(formats[i].size()));
        b.U8(1);
        b.Utf16(formats[i]);
        Record(out, RecFormat, b);
    }
    for (unsigned i = 0; i < StyleXfCount; ++i)
        Xf(out, 0, true);
    Xf(out, 0, false);
    for (std::size_t i = 0; i < formats.size(); ++i)
        Xf(out, FirstCustomFormat + static_cast<unsigned>(i), false);
    Bytes style;
    style.U16(0x8000); // built-in style on XF 0
    style.U8(0);       // "Normal"
    style.U8(0xFF);
    Record(out, RecStyle, style);

    Bytes boundSheet;
    boundSheet.U32(0); // position of the worksheet's BOF, filled in below
    boundSheet.U8(0);  // visible
    boundSheet.U8(0);  // worksheet
    const QString name = sheet.Name().left(31);
    boundSheet.U8(static_cast<unsigned>(name.size()));
    boundSheet.U8(1);
    boundSheet.Utf16(name);
    const qsizetype boundSheetAt = out.Size() + 4;
    Record(out, RecBoundSheet, boundSheet);
    SharedStrings(out, strings);
    Eof(out);

    out.PutU32At(boundSheetAt, static_cast<std::uint32_t>(out.Size()));
    out.data.append(worksheet.data);
    return out.data;
}

// ---- Compound file [MS-CFB] ------------------------------------------------

constexpr qsizetype SectorSize = 512;
constexpr std::uint32_t FreeSect = 0xFFFFFFFF, EndOfChain = 0xFFFFFFFE, FatSect = 0xFFFFFFFD, NoStream = 0xFFFFFFFF;
// Streams shorter than this would live in the mini stream; the workbook is padded up to it.
constexpr qsizetype MiniStreamCutoff = 4096;
constexpr int HeaderFatEntries = 109;

void DirectoryEntry(Bytes& out, const QString& name, unsigned type, std::uint32_t child, std::uint32_t start,
                    std::uint32_t size)
{
    const qsizetype before = out.Size();
    out.Utf16(name);
    out.Zeros(64 - 2 * name.size());
    out.U16(name.isEmpty() ? 0 : static_cast<unsigned>(2 * (name.size() + 1)));
    out.U8(type);
    out.U8(type == 0 ? 0 : 1); // black
    out.U32(NoStream);         // left sibling
    out.U32(NoStream);         // right sibling
    out.U32(child);
    out.Zeros(16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    out.U32(start);
    out.U32(size);
    out.U32(0);
    Q_ASSERT(out.Size() - before == 128);
}

QByteArray CompoundFile(QByteArray stream)
{
    if (stream.size() < MiniStreamCutoff)
        stream.append(MiniStreamCutoff - stream.size(), '\0');
    const auto streamSize = static_cast<std::uint32_t>(stream.size());
    const qsizetype streamSectors = (stream.size() + SectorSize - 1) / SectorSize;
    stream.append(streamSectors * SectorSize - stream.size(), '\0');
    constexpr qsizetype entriesPerSector = SectorSize / 4;
    qsizetype fatSectors = 1;
    while (fatSectors * entriesPerSector < streamSectors + 1 + fatSectors)
        ++fatSectors;
    if (fatSectors > HeaderFatEntries)
        throw std::length_error("workbook too large");
    const auto dirSector = static_cast<std::uint32_t>(streamSectors);
    const auto firstFat = static_cast<std::uint32_t>(streamSectors + 1);

    Bytes out;
    out.data.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.Zeros(16);   // class id
    out.U16(0x003E); // minor version
    out.U16(0x0003); // major version 3: 512-byte sectors
    out.U16(0xFFFE); // little-endian
    out.U16(9);      // sector size 2^9
    out.U16(6);      // mini sector size 2^6
    out.Zeros(6);
    out.U32(0); // directory sectors (always 0 in version 3)
    out.U32(static_cast<std::uint32_t>(fatSectors));
    out.U32(dirSector);
    out.U32(0); // transaction signature
    out.U32(static_cast<std::uint32_t>(MiniStreamCutoff));
    out.U32(EndOfChain); // no mini FAT
    out.U32(0);
    out.U32(EndOfChain); // no DIFAT sectors
    out.U32(0);
    for (int i = 0; i < HeaderFatEntries; ++i)
        out.U32(i < fatSectors ? firstFat + static_cast<std::uint32_t>(i) : FreeSect);

    out.data.append(stream);

    DirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    DirectoryEntry(out, QStringLiteral("Workbook"), 2, NoStream, 0, streamSize);
    DirectoryEntry(out, QString(), 0, NoStream, 0, 0);
    DirectoryEntry(out, QString(), 0, NoStream, 0, 0);

    for (qsizetype i = 0; i < fatSectors * entriesPerSector; ++i) {
        if (i < streamSectors)
            out.U32(i + 1 < streamSectors ? static_cast<std::uint32_t>(i + 1) : EndOfChain);
        else if (i == streamSectors)
            out.U32(EndOfChain);
        else if (i < firstFat + fatSectors)
            out.U32(FatSect);
        else
            out.U32(FreeSect);
    }
    return out.data;
}

} // namespace

QByteArray XlsWorkbookBytes(const XlsSheet& sheet)
{
    return CompoundFile(WorkbookStream(sheet));
}

} // namespace zelt
