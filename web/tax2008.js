// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The page: each Enter asks tax2008.wasm, run in a worker (tax2008-worker.js),
// and shows what a console would: the prompt, the line typed after it, and
// the program's result or error line, with its explanation under it
// (explanation.js). Questions asked before the program has loaded, even
// before this script ran (early-questions.js keeps those), wait for it; each
// question gets its own answer, or a line saying why it got none, in
// the order asked.
import { explainAgain, explainAnswer, redrawOnResize } from './explanation.js';
import { words } from './words.js';

const say = () => words[document.documentElement.lang === 'es' ? 'es' : 'en'];

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
    return say().shortened(line.slice(0, 40), line.length.toLocaleString('en'));
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
        return say().notLoaded(say().serverLacks(error.missing));
    }
    return say().notLoaded(navigator.onLine ? error.message || error : say().offlineLoad());
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

// The line that the page's address holds after its #, as typed.
function lineOfAddress() {
    const fragment = location.hash.slice(1);
    try {
        return decodeURIComponent(fragment);
    } catch {
        return fragment; // not percent-encoded: as it stands
    }
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

// The questions typed, whose lines go into the page's address once answered
// (after the answer is shown: a new history entry takes a while). A line
// longer than longestLinkedLine leaves the address without one, never with
// the line before: in Chromium, addresses of a megabyte slow down every
// question after them.
const linked = new Set();
const longestLinkedLine = 1000;

function answer(id, text, error, status, explained) {
    const line = pending.get(id);
    const address = line.length <= longestLinkedLine ? `#${encodeURIComponent(line)}` : '';
    if (linked.delete(id)) {
        setTimeout(() => {
            try {
                if (location.hash !== address) {
                    history.pushState(null, '', address || location.pathname + location.search);
                }
            } catch {
                // (a line too long for an address is answered all the same)
            }
        });
    }
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
            answerWhyNot(data.id, say().notRun(data.failure));
        } else {
            answer(data.id, `${data.prompt}${lineShown(line)}\n${data.rest}`, data.errors, data.status, data.explanation);
        }
    });
    // Its script, or a module it imports, could not be loaded or run: every
    // question still open, and every later one, gets that answer.
    worker.addEventListener('error', (event) => {
        event.preventDefault();
        workerStarted();
        workerFailure = say().notStarted(navigator.onLine);
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

// The page in its language: Spanish where early-questions.js found it
// chosen, or preferred by the browser; the switch changes it, and the
// choice is remembered. The document's English is kept the first time it is
// replaced.
const english = {};
function useLanguage(language) {
    document.documentElement.lang = language;
    for (const [id, spanish] of Object.entries(words.es.page)) {
        const [node, property] = ({ title: [document, 'title'],
            description: [document.querySelector('meta[name=description]'), 'content'] })[id]
            ?? [document.getElementById(id), 'textContent'];
        english[id] ??= node[property];
        node[property] = language === 'es' ? spanish : english[id];
    }
    document.querySelector('link[rel=manifest]').href = language === 'es' ? 'manifest-es.webmanifest' : 'manifest.webmanifest';
    const other = language === 'es' ? 'en' : 'es';
    const switcher = document.getElementById('language');
    switcher.textContent = words[other].otherLanguage;
    switcher.lang = other;
    explainAgain(explanationSection);
}

function start() {
    if (document.documentElement.lang === 'es') {
        useLanguage('es');
    }
    document.getElementById('language').addEventListener('click', () => {
        const language = document.documentElement.lang === 'es' ? 'en' : 'es';
        useLanguage(language);
        try {
            localStorage.setItem('tax2008 language', language);
        } catch {
            // (not remembered where the browser keeps nothing)
        }
    });
    // From here on this script answers the form (early-questions.js), but
    // from a file, where early-questions.js says why it cannot.
    form.dataset.ready = '';
    if (location.protocol === 'file:') {
        return;
    }
    show(say().loading());
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

    // Each question, those asked before this script ran first. A line typed
    // goes into the page's address once answered, after its #, which the
    // browser never sends: a link, a bookmark or the back button asks it
    // again.
    const ask = (line, fromAddress = false) => {
        workerStarted();
        const id = ++asked;
        pending.set(id, line);
        if (!fromAddress) {
            linked.add(id);
        }
        if (!ready) {
            show(say().loadingFor(JSON.stringify(lineShown(line))));
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
    const askAddress = () => {
        income.value = lineOfAddress();
        if (location.hash) {
            ask(income.value, true);
        } else {
            show('');
            explainAnswer(explanationSection, undefined);
        }
    };
    if (location.hash) {
        askAddress();
    }
    window.addEventListener('hashchange', askAddress);
    JSON.parse(form.dataset.asked ?? '[]').forEach((line) => ask(line));
    redrawOnResize(explanationSection);
    income.focus();
}

start();
