// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Checks the npm package's functions against the native tax code, to the
// last bit, for the 20000 incomes that tax_bits prints:
//
//   node library_test.cjs PACKAGE_DIRECTORY TAX_BITS_COMMAND...
//
// PACKAGE_DIRECTORY holds the package's index.cjs (the package installed, or
// staged). Prints the first differences, and exits 1 if there are any.
'use strict';
const { execFileSync } = require('node:child_process');
const { resolve } = require('node:path');

const [packageDirectory, ...bitsCommand] = process.argv.slice(2);
const tax2008 = require(resolve(packageDirectory, 'index.cjs'));
const functions = ['computeTax', 'taxTableTax', 'bracketLowerBound', 'bracketRate', 'bracketBaseAmount'];

const word = new Float64Array(1);
const bitsOf = (value) => {
    word[0] = value;
    return new BigUint64Array(word.buffer)[0].toString(16).padStart(16, '0');
};
const valueOf = (bits) => new Float64Array(BigUint64Array.of(BigInt(`0x${bits}`)).buffer)[0];

const faults = [];
const lines = execFileSync(bitsCommand[0], bitsCommand.slice(1), { encoding: 'utf8', maxBuffer: 64 << 20 }).trim().split('\n');
for (const line of lines) {
    const [income, ...expected] = line.split(' ');
    functions.forEach((name, index) => {
        const got = tax2008[name](valueOf(income));
        // Not a number is the same whatever its payload.
        const same = Number.isNaN(got) ? Number.isNaN(valueOf(expected[index])) : bitsOf(got) === expected[index];
        if (!same) {
            faults.push(`${name}(${valueOf(income)}): ${bitsOf(got)}, the native code gives ${expected[index]}`);
        }
    });
}
// A call that fails, on a line too long for a module held to 4 MB of memory,
// throws, and every later call still gives the right figure.
const script = `const t = require(${JSON.stringify(resolve(packageDirectory, 'index.cjs'))});
    let error = 'nothing';
    try { t.readIncome('0'.repeat(2e6) + '5'); } catch (thrown) { error = thrown.message; }
    console.log(JSON.stringify([error, t.computeTax(50000), t.taxTableTax(50000), t.bracketRate(50000), t.readIncome('50000')]));`;
const afterFailure = execFileSync(process.execPath, ['--wasm-max-mem-pages=64', '-e', script], { encoding: 'utf8' }).trim();
if (afterFailure !== '["tax2008: readIncome failed: tax2008.wasm ran out of memory",8843.75,8850,0.25,{"income":50000,"stop":5}]') {
    faults.push(`after a call that ran out of memory: ${afterFailure}`);
}
if (tax2008.computeTax(50000) !== 8843.75) {
    faults.push(`computeTax(50000) is ${tax2008.computeTax(50000)}`);
}
if (lines.length !== 20000) {
    faults.push(`${lines.length} incomes, not 20000`);
}
console.log(faults.slice(0, 20).join('\n'));
console.log(`${lines.length} incomes, ${functions.length} functions each: ${faults.length} differences`);
process.exitCode = faults.length === 0 ? 0 : 1;
