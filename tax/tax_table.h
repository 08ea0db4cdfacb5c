// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#ifndef TAX2008_TAX_TABLE_H
#define TAX2008_TAX_TABLE_H

// The 2008 Tax Table, from which a return takes the tax on a taxable income
// under $100,000: the schedule's tax at the middle of the income's row, to
// the cent, rounded to whole dollars, half a dollar up. From $100,000 on a
// return takes the worksheet's line (tax_worksheet.h), and there is no row.
constexpr double taxTableEnd = 100000.0;

// The row an income falls in: it holds its start and not its end. Rows are
// $50 wide from $3,000; below, $0 to $5, $5 to $15, $15 to $25, then $25
// wide. A taxable income below zero is entered as zero, in the first row.
// Not a number from $100,000 on.
double taxTableRowStart(double income);
double taxTableRowEnd(double income);

// The Tax Table's tax, in whole dollars; not a number from $100,000 on.
double taxTableTax(double income);

#endif
