// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#ifndef TAX2008_READ_INCOME_H
#define TAX2008_READ_INCOME_H

#include <istream>

// Reads the taxable income at the front of `input`, as the program reads its
// standard input: white space skipped, then the longest number that C++
// reads as a double, from where the reading stops. Input without a number at
// its front leaves 0, and sets the stream's failbit; so does a number beyond
// the range of a double, which leaves the largest double or an infinity.
inline double readIncome(std::istream& input)
{
    double income = 0.0;
    input >> income;
    return income;
}

#endif
