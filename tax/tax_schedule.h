// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#ifndef TAX2008_TAX_SCHEDULE_H
#define TAX2008_TAX_SCHEDULE_H

// Income tax owed for 2008 by a single filer under the six-bracket federal
// rate schedule, in dollars. The result is not rounded to cents; incomes of
// zero or less owe nothing.
double computeTax(double income);

// The bracket of the schedule that an income falls in: its lower bound, the
// rate on the part of the income over it, and its base amount, the tax owed
// at the lower bound. An income equal to a bound is in the lower bracket, and
// incomes of zero or less are in the first. So the bracket of a lower bound
// is the one below it, which walks down the schedule.
double bracketLowerBound(double income);
double bracketRate(double income);
double bracketBaseAmount(double income);

#endif
