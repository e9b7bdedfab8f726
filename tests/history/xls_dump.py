"""Reads a legacy spreadsheet workbook with xlrd and prints its first sheet
as JSON: every cell as [type, shown text, number format], the column widths,
the row and column counts, where the view opens and
the first cell's font and alignment. Dates and times are shown through their format.
Also reads the sheet's used range (DIMENSIONS) and checks the string table's
index (EXTSST): xlrd uses neither, spreadsheet programs do. "index" names the
first wrong entry, if any."""
import json
import struct
import sys

import xlrd
from xlrd import compdoc


def shown(book, cell, fmt):
    if cell.ctype == xlrd.XL_CELL_DATE:
        y, mo, d, h, mi, s = xlrd.xldate_as_tuple(cell.value, book.datemode)
        if fmt == "hh:mm:ss":
            return "%02d:%02d:%02d" % (h, mi, s)
        return "%04d/%02d/%02d" % (y, mo, d)
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return str(int(cell.value)) if cell.value == int(cell.value) else repr(cell.value)
    return cell.value if cell.ctype == xlrd.XL_CELL_TEXT else ""


def records(path):
    """The workbook stream's records in order: (stream, its start, record
    position, type, data position, data length)."""
    with open(path, "rb") as f:
        mem, base, size = compdoc.CompDoc(f.read()).locate_named_stream("Workbook")
    pos = base
    while pos + 4 <= base + size:
        rtype, length = struct.unpack_from("<HH", mem, pos)
        yield mem, base, pos, rtype, pos + 4, length
        pos += 4 + length


def string_index_fault(path):
    """Where each string of the shared string table starts (stream position and
    offset in its record), compared with the EXTSST entries for every dsst-th one."""
    starts, index, in_table = [], None, False
    for mem, base, pos, rtype, data, length in records(path):
        if rtype == 0x00FC or (rtype == 0x003C and in_table):
            at = data + 8 if rtype == 0x00FC else data
            while at < data + length:
                chars, flags = struct.unpack_from("<HB", mem, at)
                starts.append((at - base, at - pos))
                at += 3 + chars * (2 if flags & 1 else 1)
            if at != data + length:
                return "a string runs over its record at %d" % (pos - base)
            in_table = True
        else:
            in_table = False
        if rtype == 0x00FF:
            dsst = struct.unpack_from("<H", mem, data)[0]
            index = (dsst, [struct.unpack_from("<IH", mem, data + 2 + 8 * k) for k in range((length - 2) // 8)])
    if index is None:
        return "no EXTSST record"
    dsst, entries = index
    wanted = starts[::dsst] if dsst else []
    for k, (got, want) in enumerate(zip(entries, wanted)):
        if got != want:
            return "entry %d is %s, the string starts at %s" % (k, got, want)
    return "" if len(entries) == len(wanted) else "%d entries for %d buckets" % (len(entries), len(wanted))


def dimensions(path):
    """The sheet's DIMENSIONS record, which spreadsheet programs take as the
    used range: first row, last row + 1, first column, last column + 1."""
    for mem, _, _, rtype, data, _ in records(path):
        if rtype == 0x0200:
            return list(struct.unpack_from("<IIHH", mem, data))
    return []


book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
cells = []
for r in range(sheet.nrows):
    row = []
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        fmt = book.format_map[book.xf_list[cell.xf_index].format_key].format_str
        row.append([cell.ctype, shown(book, cell, fmt), fmt])
    cells.append(row)
widths = {str(c): info.width for c, info in sheet.colinfo_map.items()}
first = book.xf_list[sheet.cell(0, 0).xf_index]
font = book.font_list[first.font_index]
font = [font.name, font.height, font.weight, font.colour_index, font.italic, font.underline_type]
align = [first.alignment.hor_align, first.alignment.vert_align, first.alignment.rotation]
view = [sheet.first_visible_rowx, sheet.first_visible_colx, sheet.show_grid_lines]
json.dump({"sheets": book.nsheets, "nrows": sheet.nrows, "ncols": sheet.ncols, "cells": cells,
           "widths": widths, "view": view, "font": font, "align": align, "dimensions": dimensions(sys.argv[1]),
           "index": string_index_fault(sys.argv[1])}, sys.stdout, ensure_ascii=True)
