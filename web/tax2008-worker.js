// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs tax2008.wasm, the program itself, off the page's main thread: once per
// question, with the typed line as its standard input. It says
// {started: true} once it has its scripts. The page sends the module's bytes
// once, compiled here too, then each question as {id, line}; each answer is
// {id, prompt, rest, errors, status}, or {id, failure} where the program
// could not run, in the order the questions came.
//
// The shim's modules are imported each from its own file, so that the
// browser fetches them all at once rather than one import after another.
import * as wasi from './vendor/browser_wasi_shim/wasi_defs.js';
import { Fd } from './vendor/browser_wasi_shim/fd.js';
import { ConsoleStdout } from './vendor/browser_wasi_shim/fs_mem.js';
import WASI from './vendor/browser_wasi_shim/wasi.js';

// Standard input: the typed line and its line end. A console echoes them
// where the program is when it first reads, after its prompt; `onFirstRead`
// marks that place. Each read takes the next bytes where the last one ended,
// without copying the rest, so a long line costs time in proportion to its
// length.
class TypedLine extends Fd {
    constructor(line, onFirstRead) {
        super();
        this.bytes = new TextEncoder().encode(`${line}\n`);
        this.offset = 0;
        this.onFirstRead = onFirstRead;
    }

    fd_fdstat_get() {
        return { ret: wasi.ERRNO_SUCCESS, fdstat: new wasi.Fdstat(wasi.FILETYPE_CHARACTER_DEVICE, 0) };
    }

    fd_read(size) {
        this.onFirstRead?.();
        this.onFirstRead = undefined;
        const data = this.bytes.subarray(this.offset, this.offset + size);
        this.offset += data.length;
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

// Questions are answered one at a time, in the order they came, however
// long one of them takes.
let program;
let answered = Promise.resolve();
self.addEventListener('message', ({ data }) => {
    if (data.program) {
        // From the bytes, so that any file server will do, whatever type it
        // gives .wasm files.
        program = WebAssembly.compile(data.program);
        program.catch(() => {}); // said for each question, when it is run
        return;
    }
    answered = answered.then(async () => {
        try {
            self.postMessage({ id: data.id, ...(await run(await program, data.line)) });
        } catch (error) {
            self.postMessage({ id: data.id, failure: String(error) });
        }
    });
});
self.postMessage({ started: true });
