// tax2008: asks for a 2008 taxable income and prints the tax a single filer
// owes on it, in dollars and cents.

#include "tax_schedule.h"

#include <iostream>

int main()
{
    double income = 0.0;

    // Reading from std::cin flushes the prompt first: the two streams are tied.
    std::cout << "Please enter your 2008 taxable income: ";
    // Input without a number at its front leaves the income at 0.
    std::cin >> income;

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
