// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// tax2008: asks for a 2008 taxable income and prints the tax a single filer
// owes on it, in dollars and cents.

#include "read_income.h"
#include "tax_schedule.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <new>

namespace {

// Why standard input could not be read, for a read that failed:
// 1. C's stdin, through which std::cin reads, has no error: the stream
//    failed in the C++ library itself (libstdc++ when it cannot allocate
//    room for the digits), and the errno of that failure is the cause.
// 2. Otherwise the read failed, but its errno may since have been
//    overwritten by the conversion of the number read before it (ERANGE
//    after 1e-400). So read once more: a read that fails again gives the
//    cause.
// 3. Failing that, only "an input/output error" is known.
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
    return EIO;
}

void reportReadError(int cause)
{
    std::cerr << "tax2008: could not read the taxable income: " << std::strerror(cause) << '\n';
}

#ifndef __cpp_exceptions
// Built without exceptions (for WebAssembly), libc++ hands back a null pointer
// where memory has run out, and the read would go on to write through it: a
// number too long for the memory ends the read here instead, as a failed read.
void readOutOfMemory()
{
    reportReadError(ENOMEM);
    std::_Exit(1);
}
#endif

} // namespace

int main()
{
    // Flushed before the read, as the two streams are tied anyway, so that a
    // prompt that cannot be written leaves its cause in errno. (A stream that
    // succeeds may leave errno set all the same, so it counts only where the
    // stream failed.)
    errno = 0;
    std::cout << "Please enter your 2008 taxable income: " << std::flush;
    const int errnoAfterPrompt = std::cout ? 0 : errno;
    errno = 0;
#ifndef __cpp_exceptions
    std::set_new_handler(readOutOfMemory);
#endif
    const double income = readIncome(std::cin);
    const int errnoAfterRead = errno;
#ifndef __cpp_exceptions
    std::set_new_handler(nullptr);
#endif

    // Input that could not be read (standard input a directory, or closed, or
    // a number too long to hold in memory) must not pass for empty input and
    // its $0.00.
    if (std::ferror(stdin) != 0 || std::cin.bad()) {
        reportReadError(readErrorCause(errnoAfterRead));
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

    errno = 0;
    std::cout << "\nYour 2008 tax is: $" << computeTax(income) << std::endl;

    // A result that never reached its reader (a full disk, a closed stream)
    // must not pass for success. The cause is that of the first write that
    // failed, where the runtime gave one.
    if (!std::cout) {
        const int cause = errnoAfterPrompt != 0 ? errnoAfterPrompt : errno;
        std::cerr << "tax2008: could not write the result to standard output";
        if (cause != 0) {
            std::cerr << ": " << std::strerror(cause);
        }
        std::cerr << '\n';
        return 1;
    }
    return 0;
}
