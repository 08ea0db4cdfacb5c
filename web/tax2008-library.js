// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The functions that tax2008.wasm holds for JavaScript (app/library.cpp).
// tax2008Library(module) makes an instance of the compiled module whose
// program is never started, and returns them, as packaging/npm/index.d.ts
// describes, and explain(line), what the page says of a typed line. The
// page's worker imports this module; the build makes a CommonJS copy of it
// for the npm package.
const numberFunctions = ['computeTax', 'taxTableTax', 'taxTableRowStart', 'taxTableRowEnd',
    'bracketLowerBound', 'bracketRate', 'bracketBaseAmount'];
const textFunctions = ['printedAmount'];
const helpers = ['allocate', 'release', 'readIncome', 'readIncomeStop', 'explainLine'];

// The module's functions in a new instance, by name.
function instantiate(module) {
    // Never started, the program makes no call to the system: one would
    // fail (ENOSYS).
    const imports = {};
    for (const { module: from, name } of WebAssembly.Module.imports(module)) {
        imports[from] = { ...imports[from], [name]: () => 52 };
    }
    const { exports } = new WebAssembly.Instance(module, imports);
    const words = new DataView(exports.memory.buffer);
    const found = { memory: exports.memory };
    // The module's table: pairs of a name's address and a function's
    // index, ended by zeros.
    for (let entry = exports.tax2008Library.value; words.getUint32(entry, true) !== 0; entry += 8) {
        const index = words.getUint32(entry + 4, true);
        found[textAt(exports.memory, words.getUint32(entry, true))] = exports.__indirect_function_table.get(index);
    }
    for (const name of [...numberFunctions, ...textFunctions, ...helpers]) {
        if (typeof found[name] !== 'function') {
            throw new Error(`tax2008.wasm has no function ${name}`);
        }
    }
    return found;
}

function textAt(memory, address) {
    const text = new Uint8Array(memory.buffer).subarray(address);
    return new TextDecoder().decode(text.subarray(0, text.indexOf(0)));
}

export function tax2008Library(module) {
    let found = instantiate(module);
    // A call that fails (memory run out, a trap) may leave the instance's
    // memory half written: the next call gets a new instance.
    const guarded = (name, work) => (...args) => {
        try {
            return work(...args);
        } catch (error) {
            found = instantiate(module);
            // The module traps where its memory runs out (app/library.cpp).
            const why = /unreachable/i.test(error.message) ? 'tax2008.wasm ran out of memory' : error.message;
            throw new Error(`tax2008: ${name} failed: ${why}`, { cause: error });
        }
    };
    const library = {};
    for (const name of numberFunctions) {
        library[name] = guarded(name, (income) => found[name](income));
    }
    for (const name of textFunctions) {
        library[name] = guarded(name, (amount) => textAt(found.memory, found[name](amount)));
    }
    // Calls `use` with the address of `text` in the module's memory. (Where
    // `use` fails, the instance is made anew, memory and all.)
    const withText = (text, use) => {
        const encoded = new TextEncoder().encode(`${text}\0`);
        const address = found.allocate(encoded.length);
        if (address === 0) {
            throw new Error(`no memory for a text of ${encoded.length} bytes`);
        }
        new Uint8Array(found.memory.buffer).set(encoded, address);
        const result = use(address);
        found.release(address);
        return result;
    };
    library.readIncome = guarded('readIncome', (text) => withText(text, (address) => ({
        income: found.readIncome(address), stop: found.readIncomeStop(address),
    })));
    library.explain = guarded('explain', (text) => withText(text,
        (address) => JSON.parse(textAt(found.memory, found.explainLine(address)))));
    return library;
}
