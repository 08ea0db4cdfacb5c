// tax2008: asks for a 2008 taxable income and prints the tax a single filer
// owes on it, in dollars and cents.

#include "tax_schedule.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>

int main()
{
    double income = 0.0;

    // Reading from std::cin flushes the prompt first: the two streams are tied.
    std::cout << "Please enter your 2008 taxable income: ";
    // Input without a number at its front leaves the income at 0.
    std::cin >> income;

    // Input that could not be read at all (standard input a directory, or
    // closed) must not pass for empty input and its $0.00. std::cin reads
    // through C's stdin, which keeps the error.
    if (std::ferror(stdin) != 0) {
        const int error = errno;
        std::cerr << "tax2008: could not read the taxable income: " << std::strerror(error) << '\n';
        return 1;
    }
    // Beyond the range of a double the stream keeps the largest one and fails:
    // its tax would be that of another income than the one typed.
    if (std::cin.fail() && std::fabs(income) == std::numeric_limits<double>::max()) {
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
