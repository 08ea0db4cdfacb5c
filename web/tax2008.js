// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The page: each Enter asks tax2008.wasm, run in a worker (tax2008-worker.js),
// and shows what a console would: the prompt, the line typed after it, and
// the program's result or error line, with its explanation under it
// (explanation.js). Questions asked before the program has loaded, even
// before this script ran (early-questions.js keeps those), wait for it; each
// question gets its own answer, or a line saying why it got none, in
// the order asked.
import { explainAnswer, redrawOnResize } from './explanation.js';

// The folder of this script's version, which holds the worker and the
// module: a page runs its own version's, whatever is served meanwhile.
const versionFolder = new URL('./', import.meta.url);

const form = document.getElementById('question');
const income = document.getElementById('income');
const consoleBox = document.getElementById('console');
const explanationSection = document.getElementById('explanation');

// A longer line is shown shortened, so that the box keeps a sensible height.
const longestLineShown = 1000;

function lineShown(line) {
    if (line.length <= longestLineShown) {
        return line;
    }
    return `${line.slice(0, 40)}… (${line.length.toLocaleString('en')} characters, shortened here)`;
}

// Shows `text` and then `error`, in the error colour, in the console box.
function show(text, error = '') {
    const errorText = document.createElement('span');
    errorText.className = 'error';
    errorText.textContent = error;
    consoleBox.replaceChildren(text, errorText);
}

// Why the program could not be had, in words for the visitor.
function loadFailure(error) {
    if (error.missing) {
        return `The program could not be loaded: the server has no ${error.missing}. Serve the whole folder of the page.`;
    }
    if (!navigator.onLine) {
        return 'The program could not be loaded: this device is offline. Once the page has been loaded online, it works offline too.';
    }
    return `The program could not be loaded: ${error.message || error}.`;
}

// The page is painted first, with nothing but its own text and style; the
// program, many times the size of the rest, comes after, while the worker's
// scripts do, so that it holds up neither. (Preloaded from the head, it
// delayed the first paint that Lighthouse counts on a phone's network.) The
// browser says when it has painted; one that does not, or a page in a hidden
// tab, waits for a frame and three seconds at most.
function afterFirstPaint() {
    return new Promise((resolve) => {
        setTimeout(resolve, 3000);
        if (!PerformanceObserver.supportedEntryTypes?.includes('paint')) {
            requestAnimationFrame(() => setTimeout(resolve));
            return;
        }
        new PerformanceObserver((entries, observer) => {
            if (entries.getEntriesByName('first-contentful-paint').length) {
                observer.disconnect();
                resolve();
            }
        }).observe({ type: 'paint', buffered: true });
    });
}

async function loadProgram() {
    let response;
    try {
        response = await fetch(new URL('tax2008.wasm', versionFolder));
    } catch (error) {
        throw new Error(`the server did not answer (${error.message})`);
    }
    if (!response.ok) {
        throw Object.assign(new Error(response.statusText), { missing: `tax2008.wasm (${response.status})` });
    }
    return response.arrayBuffer();
}

// The worker that runs the program, and the questions it has not answered
// yet, by number.
const pending = new Map();
let asked = 0;
let worker;
let ready = false;
let workerFailure;
// Settles once the worker has its scripts, or cannot have them.
let workerStarted;
const workerLoaded = new Promise((resolve) => {
    workerStarted = resolve;
});

function answer(id, text, error, status, explained) {
    pending.delete(id);
    show(text, error);
    explainAnswer(explanationSection, explained);
    if (status === undefined) {
        delete consoleBox.dataset.status;
    } else {
        consoleBox.dataset.status = status;
    }
    consoleBox.dataset.answered = id;
}

// Answers question `id` with no result: the line typed, and why.
function answerWhyNot(id, why) {
    answer(id, `${lineShown(pending.get(id))}\n`, why);
}

function startWorker() {
    worker = new Worker(new URL('tax2008-worker.js', versionFolder), { type: 'module' });
    worker.addEventListener('message', ({ data }) => {
        if (data.started) {
            workerStarted();
            return;
        }
        const line = pending.get(data.id);
        if (data.failure) {
            answerWhyNot(data.id, `The program could not run for this question: ${data.failure}`);
        } else {
            answer(data.id, `${data.prompt}${lineShown(line)}\n${data.rest}`, data.errors, data.status, data.explanation);
        }
    });
    // Its script, or a module it imports, could not be loaded or run: every
    // question still open, and every later one, gets that answer.
    worker.addEventListener('error', (event) => {
        event.preventDefault();
        workerStarted();
        const cause = navigator.onLine ? 'a file of the page is missing on the server' : 'this device is offline';
        workerFailure = `The program could not be started: ${cause}.`;
        for (const id of [...pending.keys()]) {
            answerWhyNot(id, workerFailure);
        }
    });
}

// A newer version's service worker, once it has kept its files, takes over
// when a page that has all its files lets it: never while a page is loading
// its own version's, which it would then serve in the midst. Not from a page
// being left either, as a reload is then loading this version.
function letNewVersionTakeOver(registration) {
    let leaving = false;
    window.addEventListener('beforeunload', () => {
        leaving = true;
    });
    window.addEventListener('pageshow', () => {
        leaving = false;
    });
    const takeOver = () => leaving || registration.waiting?.postMessage('take over');
    takeOver();
    registration.addEventListener('updatefound', () => {
        registration.installing?.addEventListener('statechange', takeOver);
    });
}

function start() {
    // From here on this script answers the form (early-questions.js), but
    // from a file, where early-questions.js says why it cannot.
    form.dataset.ready = '';
    if (location.protocol === 'file:') {
        return;
    }
    show('Loading the program…');
    const loaded = afterFirstPaint().then(() => {
        startWorker();
        return loadProgram();
    }).then((program) => {
        worker.postMessage({ program }, [program]);
        ready = true;
        if (pending.size === 0) {
            show('');
        }
    });
    loaded.catch((error) => show('', loadFailure(error)));
    // Once the page has all its files (the program and the worker's
    // scripts), or cannot have them, the service worker keeps the page for
    // offline use, when the page is idle. It asks for a newer version at
    // every load, which serves the next. Without it the page still works,
    // just not offline.
    Promise.allSettled([loaded, workerLoaded])
        .then(() => new Promise((resolve) => (window.requestIdleCallback ?? setTimeout)(resolve)))
        .then(() => navigator.serviceWorker?.register('service-worker.js'))
        .then((registration) => {
            if (registration) {
                letNewVersionTakeOver(registration);
                return registration.update();
            }
            return undefined;
        })
        .catch(() => {});

    // Each question, those asked before this script ran first.
    const ask = (line) => {
        workerStarted();
        const id = ++asked;
        pending.set(id, line);
        if (!ready) {
            show(`Loading the program; ${JSON.stringify(lineShown(line))} will be answered once it has loaded.`);
        }
        loaded.then(
            () => (workerFailure ? answerWhyNot(id, workerFailure) : worker.postMessage({ id, line })),
            (error) => answerWhyNot(id, loadFailure(error)),
        );
    };
    form.addEventListener('submit', (event) => {
        event.preventDefault();
        ask(income.value);
    });
    JSON.parse(form.dataset.asked ?? '[]').forEach(ask);
    redrawOnResize(explanationSection);
    income.focus();
}

start();
