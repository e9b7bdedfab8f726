"""Reads a legacy spreadsheet workbook with xlrd and prints its first sheet
as JSON: every cell as [type, shown text, number format], the column widths,
the row and column counts, where the view opens and
the first cell's font. Dates and times are shown through their format."""
import json
import sys

import xlrd


def shown(book, cell, fmt):
    if cell.ctype == xlrd.XL_CELL_DATE:
        y, mo, d, h, mi, s = xlrd.xldate_as_tuple(cell.value, book.datemode)
        if fmt == "hh:mm:ss":
            return "%02d:%02d:%02d" % (h, mi, s)
        return "%04d/%02d/%02d" % (y, mo, d)
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return str(int(cell.value)) if cell.value == int(cell.value) else repr(cell.value)
    return cell.value if cell.ctype == xlrd.XL_CELL_TEXT else ""


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
font = book.font_list[book.xf_list[sheet.cell(0, 0).xf_index].font_index]
font = [font.name, font.height, font.weight, font.colour_index, font.italic, font.underline_type]
view = [sheet.first_visible_rowx, sheet.first_visible_colx, sheet.show_grid_lines]
json.dump({"sheets": book.nsheets, "nrows": sheet.nrows, "ncols": sheet.ncols, "cells": cells,
           "widths": widths, "view": view, "font": font}, sys.stdout, ensure_ascii=True)
