// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// tax2008: asks for a 2008 taxable income and prints the tax a single filer
// owes on it, in dollars and cents.

#include "tax_schedule.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>

namespace {

// Why standard input could not be read. A read error is kept by C's stdin,
// through which std::cin reads; the errno that the failed read left may since
// have been overwritten by the conversion of the number read before it (ERANGE
// after 1e-400), so the read is tried once more for its own cause. A stream
// that went bad without one failed in the C++ library itself: libstdc++ takes
// a failed allocation while it collects the digits for bad input, and the
// allocator left its cause in errno.
int readErrorCause(int errnoAfterRead)
{
    if (std::ferror(stdin) == 0) {
        return errnoAfterRead != 0 ? errnoAfterRead : EIO;
    }
    std::clearerr(stdin);
    errno = 0;
    if (std::getc(stdin) == EOF && std::ferror(stdin) != 0 && errno != 0) {
        return errno;
    }
    return EIO; // the error did not come back: only "an input/output error" is known
}

} // namespace

int main()
{
    double income = 0.0;

    // Reading from std::cin flushes the prompt first: the two streams are tied.
    std::cout << "Please enter your 2008 taxable income: ";
    // Input without a number at its front leaves the income at 0.
    errno = 0;
    std::cin >> income;
    const int errnoAfterRead = errno;

    // Input that could not be read (standard input a directory, or closed, or
    // a number too long to hold in memory) must not pass for empty input and
    // its $0.00.
    if (std::ferror(stdin) != 0 || std::cin.bad()) {
        std::cerr << "tax2008: could not read the taxable income: " << std::strerror(readErrorCause(errnoAfterRead))
                  << '\n';
        return 1;
    }
    // Beyond the range of a double, libstdc++ keeps the largest one and fails,
    // and libc++ keeps an infinity, as it does for "inf": either way the tax
    // would not be that of the income typed.
    if (std::isinf(income) || (std::cin.fail() && std::fabs(income) == std::numeric_limits<double>::max())) {
        std::cerr << "tax2008: the taxable income is out of range\n";
        return 1;
    }

    std::cout.setf(std::ios::fixed);
    std::cout.setf(std::ios::showpoint);
    std::cout.precision(2);

    std::cout << "\nYour 2008 tax is: $" << computeTax(income) << std::endl;

    // A result that never reached its reader (a full disk, a closed stream)
    // must not pass for success.
    if (!std::cout) {
        std::cerr << "tax2008: could not write the result to standard output\n";
        return 1;
    }
    return 0;
}
