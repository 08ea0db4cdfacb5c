// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs tax2008.wasm, the program itself, once per question: the typed line
// is its standard input, and the page shows what a console would: the
// prompt, the line typed after it, and the program's result or error line.
import { ConsoleStdout, Fd, WASI, wasi } from './vendor/browser_wasi_shim/index.js';

const form = document.getElementById('question');
const income = document.getElementById('income');
const shown = document.getElementById('console');

// Standard input: the typed line and its line end. A console echoes them
// where the program is when it first reads, after its prompt; `onFirstRead`
// marks that place.
class TypedLine extends Fd {
    constructor(line, onFirstRead) {
        super();
        this.bytes = new TextEncoder().encode(`${line}\n`);
        this.onFirstRead = onFirstRead;
    }

    fd_fdstat_get() {
        return { ret: wasi.ERRNO_SUCCESS, fdstat: new wasi.Fdstat(wasi.FILETYPE_CHARACTER_DEVICE, 0) };
    }

    fd_read(size) {
        this.onFirstRead?.();
        this.onFirstRead = undefined;
        const data = this.bytes.slice(0, size);
        this.bytes = this.bytes.slice(data.length);
        return { ret: wasi.ERRNO_SUCCESS, data };
    }
}

// Runs the program on `line`; returns its standard output split where it
// first read, its standard error and its exit status.
async function run(program, line) {
    const out = new TextDecoder();
    const err = new TextDecoder();
    let written = '';
    let prompt = null;
    let errors = '';
    const fds = [
        new TypedLine(line, () => {
            prompt = written;
        }),
        new ConsoleStdout((bytes) => {
            written += out.decode(bytes, { stream: true });
        }),
        new ConsoleStdout((bytes) => {
            errors += err.decode(bytes, { stream: true });
        }),
    ];
    const system = new WASI(['tax2008'], [], fds);
    const instance = await WebAssembly.instantiate(program, { wasi_snapshot_preview1: system.wasiImport });
    const status = system.start(instance);
    prompt ??= written;
    return { prompt, rest: written.slice(prompt.length), errors, status };
}

function show({ prompt, rest, errors, status }, line) {
    const error = document.createElement('span');
    error.className = 'error';
    error.textContent = errors;
    shown.replaceChildren(`${prompt}${line}\n${rest}`, error);
    shown.dataset.status = status;
}

try {
    const response = await fetch(new URL('tax2008.wasm', import.meta.url));
    if (!response.ok) {
        throw new Error(`${response.status} ${response.statusText}`);
    }
    // Compiled from the bytes, so that any file server will do, whatever
    // type it gives .wasm files.
    const program = await WebAssembly.compile(await response.arrayBuffer());
    form.addEventListener('submit', async (event) => {
        event.preventDefault();
        const line = income.value;
        show(await run(program, line), line);
    });
    form.querySelector('button').disabled = false;
    income.focus();
} catch (error) {
    shown.textContent = `The program could not be loaded (${error.message}): serve this folder with a web server.`;
}
