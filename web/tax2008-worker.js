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
import { tax2008Library } from './tax2008-library.js';

// Standard input: the typed line and its line end. A console echoes them
// where the program is when it first reads, after its prompt; `onFirstRead`
// marks that place. Each read takes the next bytes where the last one ended,
// without copying the rest, so a long line costs time in proportion to its
// length.
class TypedLine extends Fd {
    constructor(onFirstRead) {
        super();
        this.bytes = new Uint8Array();
        this.offset = 0;
        this.onFirstRead = onFirstRead;
    }

    type(line) {
        this.bytes = new TextEncoder().encode(`${line}\n`);
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

// Makes an instance of the program, ready for a question; returns the
// function that runs it once, on a line: it returns the program's standard
// output split where it first read, its standard error and its exit status.
async function prepareRun(program) {
    const out = new TextDecoder();
    const err = new TextDecoder();
    let written = '';
    let prompt = null;
    let errors = '';
    const input = new TypedLine(() => {
        prompt = written;
    });
    const fds = [
        input,
        new ConsoleStdout((bytes) => {
            written += out.decode(bytes, { stream: true });
        }),
        new ConsoleStdout((bytes) => {
            errors += err.decode(bytes, { stream: true });
        }),
    ];
    const system = new WASI(['tax2008'], [], fds);
    const instance = await WebAssembly.instantiate(program, { wasi_snapshot_preview1: system.wasiImport });
    return (line) => {
        input.type(line);
        const status = system.start(instance);
        prompt ??= written;
        return { prompt, rest: written.slice(prompt.length), errors, status };
    };
}

// What the page says of an answer: the module works it out from the typed
// line, in one call (explainLine in app/library.cpp); here it gets the rest
// of the line from where the program stopped reading.
function explain(library, line) {
    const explanation = library.explain(`${line}\n`);
    return { ...explanation, stoppedAt: explanation.stop < 0 ? '' : line.slice(explanation.stop) };
}

// Questions are answered one at a time, in the order they came, however
// long one of them takes. Each is run by an instance of its own, made ahead
// while the page waits for the question, as making one can take more than a
// frame.
let program;
let library;
let nextRun;
function prepareNextRun() {
    nextRun = program.then(prepareRun);
    nextRun.catch(() => {}); // said for the question it was made for
}
let answered = Promise.resolve();
self.addEventListener('message', ({ data }) => {
    if (data.program) {
        // From the bytes, so that any file server will do, whatever type it
        // gives .wasm files.
        program = WebAssembly.compile(data.program);
        library = program.then(tax2008Library);
        library.catch(() => {}); // said for each question, when it is run
        prepareNextRun();
        return;
    }
    answered = answered.then(async () => {
        try {
            const answer = (await nextRun)(data.line);
            if (answer.status === 0) {
                answer.explanation = explain(await library, data.line);
            }
            self.postMessage({ id: data.id, ...answer });
        } catch (error) {
            self.postMessage({ id: data.id, failure: String(error) });
        }
        prepareNextRun();
    });
});
self.postMessage({ started: true });
