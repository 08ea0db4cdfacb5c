// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The npm package's functions, in the module its command runs (index.d.ts
// says what each does); named in a form that Node reads without running it,
// so that `import { computeTax } from 'tax2008'` finds them.
'use strict';
const { readFileSync } = require('node:fs');
const { join } = require('node:path');
const tax2008Library = require('./tax2008-library.cjs');

const {
    computeTax, taxTableTax, taxTableRowStart, taxTableRowEnd, bracketLowerBound, bracketRate, bracketBaseAmount,
    readIncome, printedAmount,
} = tax2008Library(new WebAssembly.Module(readFileSync(join(__dirname, 'tax2008.wasm'))));

module.exports = {
    computeTax, taxTableTax, taxTableRowStart, taxTableRowEnd, bracketLowerBound, bracketRate, bracketBaseAmount,
    readIncome, printedAmount,
};
