// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#ifndef TAX2008_TAX_SCHEDULE_H
#define TAX2008_TAX_SCHEDULE_H

// Income tax owed for 2008 by a single filer under the six-bracket federal
// rate schedule, in dollars. The result is not rounded to cents; incomes of
// zero or less owe nothing.
double computeTax(double income);

#endif
