// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The functions that tax2008.wasm holds for JavaScript (app/library.cpp).
// tax2008Library(module) makes an instance of the compiled module whose
// program is never started, and returns them, as packaging/npm/index.d.ts
// describes. The page's worker imports this file, which sets
// self.tax2008Library; the npm package requires it.
'use strict';
(() => {
    const numberFunctions = ['computeTax', 'taxTableTax', 'taxTableRowStart', 'taxTableRowEnd',
        'bracketLowerBound', 'bracketRate', 'bracketBaseAmount'];

    function tax2008Library(module) {
        // Never started, the program makes no call to the system: one would
        // fail (ENOSYS).
        const imports = {};
        for (const { module: from, name } of WebAssembly.Module.imports(module)) {
            imports[from] = { ...imports[from], [name]: () => 52 };
        }
        const { exports } = new WebAssembly.Instance(module, imports);
        const bytes = () => new Uint8Array(exports.memory.buffer);
        const textAt = (address) => {
            const text = bytes().subarray(address);
            return new TextDecoder().decode(text.subarray(0, text.indexOf(0)));
        };
        // The module's table: pairs of a name's address and a function's
        // index, ended by zeros.
        const found = {};
        const words = () => new DataView(exports.memory.buffer);
        for (let entry = exports.tax2008Library.value; words().getUint32(entry, true) !== 0; entry += 8) {
            const index = words().getUint32(entry + 4, true);
            found[textAt(words().getUint32(entry, true))] = exports.__indirect_function_table.get(index);
        }

        const library = {};
        for (const name of [...numberFunctions, 'allocate', 'release', 'readIncome', 'readIncomeStop', 'printedAmount']) {
            if (typeof found[name] !== 'function') {
                throw new Error(`tax2008.wasm has no function ${name}`);
            }
        }
        for (const name of numberFunctions) {
            library[name] = (income) => found[name](income);
        }
        library.readIncome = (text) => {
            const encoded = new TextEncoder().encode(`${text}\0`);
            const address = found.allocate(encoded.length);
            bytes().set(encoded, address);
            const read = { income: found.readIncome(address), stop: found.readIncomeStop(address) };
            found.release(address);
            return read;
        };
        library.printedAmount = (amount) => textAt(found.printedAmount(amount));
        return library;
    }

    if (typeof module === 'object') {
        module.exports = tax2008Library;
    } else {
        self.tax2008Library = tax2008Library;
    }
})();
