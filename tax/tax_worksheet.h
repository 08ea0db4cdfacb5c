// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#ifndef TAX2008_TAX_WORKSHEET_H
#define TAX2008_TAX_WORKSHEET_H

#include "tax_table.h"

// The 2008 Tax Computation Worksheet for a single filer (Form 1040
// instructions, line 44), from which a return takes the tax on a taxable
// income of $100,000 or more, where the Tax Table ends: the income times the
// rate of its row, less the row's subtraction amount. Its rows are the
// schedule's top three brackets; both are not a number below $100,000.
constexpr double worksheetStart = taxTableEnd;
double worksheetRate(double income);
double worksheetSubtraction(double income);

#endif
