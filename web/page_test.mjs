// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Tests the web page in one browser engine, as its users would: with the
// keyboard alone, it must show for each typed line what the console program
// shows, soon after Enter and without freezing; say why when it cannot; and
// go on working offline once loaded.
//
//   node page_test.mjs ENGINE BROWSER PAGE_DIRECTORY CONSOLE_COMMAND...
//
// ENGINE is chromium or firefox (BROWSER is its program, driven by
// puppeteer-core), or webkit (BROWSER is WebKitWebDriver, driven by
// selenium-webdriver, under a display). PAGE_DIRECTORY is the staged page;
// CONSOLE_COMMAND runs the same module as a console program (node
// wasi-run.cjs tax2008.wasm). Fails, saying what to install, where there is
// no browser or no npm packages. In Chromium it saves a screenshot of the page beside
// PAGE_DIRECTORY.
import { spawn, spawnSync } from 'node:child_process';
import { appendFileSync, cpSync, existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { inflateSync } from 'node:zlib';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize, relative } from 'node:path';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';

const [engine, browserProgram, pageDirectory, ...consoleCommand] = process.argv.slice(2);

// A tool the test needs is not installed: the test fails, naming it.
function missing(what) {
    console.log(`cannot run: ${what}`);
    process.exit(1);
}
const installs = { chromium: 'chromium', firefox: 'firefox-esr', webkit: 'webkit2gtk-driver xvfb xauth' };
if (!existsSync(join(pageDirectory, 'index.html'))) {
    missing('the page is not staged: npm ci has not installed @bjorn3/browser_wasi_shim');
}
if (!browserProgram || browserProgram.endsWith('-NOTFOUND') || !existsSync(browserProgram)) {
    missing(`no ${engine} (apt-get install ${installs[engine]})`);
}
if (engine === 'webkit' && !process.env.DISPLAY) {
    missing('no display for WebKit (apt-get install xvfb xauth, for xvfb-run)');
}
let driver;
try {
    driver = await import(engine === 'webkit' ? 'selenium-webdriver' : 'puppeteer-core');
} catch {
    missing('no browser driver: run npm ci');
}

// A test that this engine cannot run is skipped, saying why, in a line that
// CI's summary lists.
function skippedHere(reason) {
    console.log(`skipped: ${engine}: ${reason}`);
    return reason;
}

// The single-line inputs of the dialogue test's table of inputs (a line
// typed, then Enter).
const lines = readFileSync(new URL('../app/dialogue_inputs.tsv', import.meta.url), 'utf8').split('\n')
    .filter((row) => row !== '' && !row.startsWith('#'))
    .map((row) => row.split('\t')[1].replaceAll('\\n', '\n'))
    .filter((input) => input.endsWith('\n') && input.indexOf('\n') === input.length - 1)
    .map((input) => input.slice(0, -1));

// What the console shows for `line`: the program's standard output with the
// typed line echoed after the prompt (before the program's first line end),
// then its standard error; and its exit status.
function consoleRun(line, echo = line) {
    const run = spawnSync(consoleCommand[0], consoleCommand.slice(1), { input: `${line}\n`, encoding: 'utf8' });
    const promptEnd = run.stdout.includes('\n') ? run.stdout.indexOf('\n') : run.stdout.length;
    const shown = `${run.stdout.slice(0, promptEnd)}${echo}\n${run.stdout.slice(promptEnd)}${run.stderr}`;
    return { shown, status: run.status };
}

// A module that compiles but cannot start: it imports a function that WASI
// does not have.
const unstartable = Uint8Array.from([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00, 0x01, 0x04, 0x01, 0x60, 0x00, 0x00, 0x02, 0x27, 0x01,
    0x16, ...Buffer.from('wasi_snapshot_preview1'), 0x0c, ...Buffer.from('no_such_call'), 0x00, 0x00,
]);

// The folder the page's files are staged in, named by the version, and the
// name of the service worker's cache for this build and for another version.
const builtVersion = readdirSync(pageDirectory).find((name) => existsSync(join(pageDirectory, name, 'tax2008.wasm')));
const builtCache = /const cacheName = '([^']+)'/.exec(readFileSync(join(pageDirectory, 'service-worker.js'), 'utf8'))[1];
const cacheOf = (version) => builtCache.replace(builtVersion, version);

// Serves the staged page on a port of its own (its own origin), or a page
// that fails in one way: `missing` answers 404 for that file, `slowProgram`
// and `slowScript` delay the module and the page's script by that many
// milliseconds, and `program` replaces the module. `directory` serves another
// staged page; `redirectIndex` redirects /index.html to /, as some servers do.
// /phone.html frames the page at a phone's width.
//
// `version` serves the page as another release would: under that version,
// in the title and the service worker, with its files in the folder of that
// name (the built version's folder is then not there). Each file is marked
// with the version, so that a page can tell which version each of its files
// came from: /served.js, loaded first, gathers the marks in `self.served`.
// The options can be changed while the server runs (`server.options`).
const types = {
    '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
};
// Gathers the marks that the files of a version post, and marks the document
// and the module: the document by this script's address, the module by a
// custom section at its end, read as the page fetches it.
function servedMarks() {
    const version = new URL(document.currentScript.src).search.slice(1);
    self.served = [`${version} index.html`];
    new BroadcastChannel('served').addEventListener('message', ({ data }) => self.served.push(data));
    const { fetch } = self;
    self.fetch = async (...asked) => {
        const response = await fetch(...asked);
        const end = new TextDecoder('latin1').decode((await response.clone().arrayBuffer()).slice(-64));
        self.served.push(`${/served(.*)$/s.exec(end)?.[1]} tax2008.wasm`);
        return response;
    };
}
function marked(body, path, version) {
    const name = path.split('/').at(-1);
    switch (extname(path)) {
    case '.html':
        return body.toString().replaceAll(`${builtVersion}/`, `${version}/`).replace('</title>', ` ${version}</title>`)
            .replace('<link rel="stylesheet"', `<script src="/served.js?${version}"></script>\n<link rel="stylesheet"`);
    case '.js':
        if (path === 'service-worker.js') {
            return body.toString().replaceAll(`${builtVersion}/`, `${version}/`).replace(`tax2008-${builtVersion}`, `tax2008-${version}`);
        }
        return `${body}\nnew BroadcastChannel('served').postMessage('${version} ${name}');\n`;
    case '.css':
        return `${body}\n:root { --served: '${version}'; }\n`;
    case '.wasm': {
        const mark = Buffer.from(`\x06served${version}`, 'latin1');
        return Buffer.concat([body, Buffer.from([0, mark.length]), mark]);
    }
    default:
        return body;
    }
}
async function serve(options = {}) {
    const server = createServer(async (request, response) => {
        const { missing, slowProgram = 0, slowScript = 0, program, version, redirectIndex } = server.options;
        const root = server.options.directory ?? pageDirectory;
        let path = normalize(decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
        if (path === '/phone.html') {
            response.writeHead(200, { 'content-type': 'text/html' });
            response.end('<!doctype html><title>phone</title><iframe src="/" width="390" height="700"></iframe>');
            return;
        }
        if (path === '/served.js') {
            response.writeHead(200, { 'content-type': 'text/javascript' });
            response.end(`(${servedMarks})();`);
            return;
        }
        if (version && path.startsWith(`/${builtVersion}/`)) {
            path = '/missing';
        } else if (version && path.startsWith(`/${version}/`)) {
            path = path.replace(version, builtVersion);
        }
        if (redirectIndex && path === '/index.html') {
            response.writeHead(301, { location: '/' }).end();
            return;
        }
        const file = join(root, path.endsWith('/') ? `${path}index.html` : path);
        if (!file.startsWith(root) || !existsSync(file) || file.endsWith(`/${missing}`)) {
            response.writeHead(404).end();
            return;
        }
        let body = readFileSync(file);
        if (file.endsWith('/tax2008.js')) {
            await new Promise((resolve) => setTimeout(resolve, slowScript));
        }
        if (file.endsWith('.wasm')) {
            await new Promise((resolve) => setTimeout(resolve, slowProgram));
            body = program ?? body;
        }
        if (version) {
            body = marked(body, relative(root, file), version);
        }
        response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
        response.end(body);
    });
    server.options = options;
    await new Promise((resolve) => server.listen(options.port ?? 0, '127.0.0.1', resolve));
    server.origin = `http://127.0.0.1:${server.address().port}`;
    server.stop = () => new Promise((resolve) => {
        server.close(resolve);
        server.closeAllConnections();
    });
    return server;
}

// One interface over both drivers: open a page, run a function in it, type a
// line and press Enter, reload, save a screenshot.
async function puppeteerBrowser() {
    const browser = await driver.default.launch({
        browser: engine === 'chromium' ? 'chrome' : 'firefox',
        executablePath: browserProgram,
        headless: true,
        args: engine === 'chromium' ? ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--no-first-run'] : [],
    });
    const page = await browser.newPage();
    await page.setViewport({ width: 390, height: 700 });
    let inFront;
    let preferred;
    return {
        // Puts another tab in front, so that the page is hidden, or the page
        // back in front.
        hide: async (hidden) => {
            inFront = hidden ? (inFront ?? await browser.newPage()) : page;
            await inFront.bringToFront();
        },
        open: (url) => page.goto(url),
        // Opens `url`, and once the field is there, before the page has
        // loaded, types `text` and presses Enter; then waits for the load.
        // (From a blank page, so that the field found is the new page's.)
        askWhileOpening: async (url, text) => {
            await page.goto('about:blank');
            const opened = page.goto(url);
            await page.waitForSelector('#income');
            await page.type('#income', text);
            await page.keyboard.press('Enter');
            const shown = await page.evaluate(() => document.getElementById('console').textContent);
            await opened;
            return shown;
        },
        reload: () => page.reload(),
        // Makes every page opened from now on find the browser preferring
        // `languages` (with null, what it prefers itself).
        preferLanguages: async (languages) => {
            if (preferred) {
                await page.removeScriptToEvaluateOnNewDocument(preferred.identifier);
            }
            preferred = languages && await page.evaluateOnNewDocument((list) => {
                Object.defineProperty(navigator, 'languages', { get: () => list });
            }, languages);
        },
        // The page printed on paper of `format`: its number of pages.
        // (Firefox keeps its page objects in compressed streams.)
        printedPages: async (format) => {
            const pdf = Buffer.from(await page.pdf({ format }));
            const objects = [pdf.toString('latin1')];
            for (let at = pdf.indexOf('stream\n'); at >= 0; at = pdf.indexOf('stream\n', at + 1)) {
                try {
                    objects.push(inflateSync(pdf.subarray(at + 7, pdf.indexOf('endstream', at))).toString('latin1'));
                } catch {
                    // (not a compressed stream)
                }
            }
            return objects.join('\n').match(/\/Type\s*\/Page\b(?!s)/g)?.length;
        },
        evaluate: (fn, ...args) => page.evaluate(fn, ...args),
        typeAndEnter: async (text) => {
            await page.type('#income', text);
            await page.keyboard.press('Enter');
        },
        screenshot: (path) => page.screenshot({ path, fullPage: true }),
        offline: engine === 'chromium' && ((on) => page.setOfflineMode(on)),
        close: () => browser.close(),
    };
}

async function seleniumBrowser() {
    const { Builder, By, Key } = driver;
    const port = await new Promise((resolve) => {
        const probe = createServer().listen(0, '127.0.0.1', () => {
            const { port: free } = probe.address();
            probe.close(() => resolve(free));
        });
    });
    const webDriver = spawn(browserProgram, [`--port=${port}`], { stdio: 'ignore' });
    const binary = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
    let browser;
    for (let tries = 0; !browser; tries++) {
        try {
            browser = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
                browserName: 'MiniBrowser',
                'webkitgtk:browserOptions': { binary, args: ['--automation'] },
            }).build();
        } catch (error) {
            if (tries === 50) {
                throw error;
            }
            await new Promise((resolve) => setTimeout(resolve, 100));
        }
    }
    return {
        open: (url) => browser.get(url),
        reload: () => browser.navigate().refresh(),
        evaluate: (fn, ...args) => browser.executeScript(fn, ...args),
        typeAndEnter: (text) => browser.findElement(By.id('income')).sendKeys(text, Key.ENTER),
        screenshot: async () => {},
        close: async () => {
            await browser.quit();
            webDriver.kill();
        },
    };
}

let browser;
let server;
before(async () => {
    server = await serve();
    browser = await (engine === 'webkit' ? seleniumBrowser() : puppeteerBrowser());
    await open(`${server.origin}/`);
});
after(async () => {
    await browser?.close();
    await server?.stop();
});

// Opens `url` and waits, ten seconds at most, until the page takes
// questions.
async function open(url) {
    await browser.open(url);
    const ready = await browser.evaluate(() => new Promise((resolve) => {
        const until = performance.now() + 10000;
        const check = () => {
            if (document.querySelector('#question[data-ready]') || performance.now() > until) {
                resolve(document.querySelector('#question[data-ready]') !== null);
            } else {
                setTimeout(check, 10);
            }
        };
        check();
    }));
    assert.ok(ready, `${url} did not load: ${await browser.evaluate(() => document.body?.textContent.slice(0, 200))}`);
}

// Makes window.answers wait for the next `count` answers, recording what the
// console box shows at each, and at every change before (`seen`), the exit
// status, the milliseconds from the first Enter to the last answer, and the
// longest the page's main thread was busy meanwhile.
function awaitAnswers(count) {
    const box = document.getElementById('console');
    const field = document.getElementById('income');
    const last = Number(box.dataset.answered ?? 0) + count;
    window.answers = new Promise((resolve) => {
        let start = 0;
        let tick = 0;
        let busiest = 0;
        const shown = [];
        const seen = [];
        const ticking = setInterval(() => {
            const now = performance.now();
            if (start) {
                busiest = Math.max(busiest, now - tick);
            }
            tick = now;
        }, 5);
        field.addEventListener('keydown', (event) => {
            if (event.key === 'Enter' && !start) {
                start = performance.now();
                tick = start;
            }
        }, { capture: true });
        new MutationObserver((records, observer) => {
            seen.push(box.textContent);
            if (records.some((record) => record.attributeName === 'data-answered')) {
                shown.push(box.textContent);
            }
            if (Number(box.dataset.answered) >= last) {
                observer.disconnect();
                clearInterval(ticking);
                const status = box.dataset.status === undefined ? null : Number(box.dataset.status);
                const section = document.getElementById('explanation');
                const explained = section.hidden ? null : {
                    text: section.querySelector('.explained').textContent,
                    parts: [...section.querySelectorAll('#breakdown li')].map((part) => part.textContent),
                    shadedSteps: section.querySelectorAll('svg rect.taxed').length,
                    fits: document.documentElement.scrollWidth <= window.innerWidth,
                };
                resolve({ shown, seen, status, milliseconds: performance.now() - start, busiest,
                    height: box.offsetHeight, asked: field.value.length, explained });
            }
        }).observe(box, { attributes: true, childList: true, subtree: true, characterData: true });
    });
}

// Types each line and presses Enter after it, without waiting in between;
// returns what the page showed for each, and the rest awaitAnswers records.
// A line of 1,000 characters or more, too long to type, is pasted.
async function ask(...asked) {
    await browser.evaluate(awaitAnswers, asked.length);
    for (const line of asked) {
        const pasted = line.length >= 1000 ? line : '';
        await browser.evaluate((text) => {
            document.getElementById('income').value = text;
        }, pasted);
        if (pasted) {
            await browser.typeAndEnter('');
        } else {
            await browser.typeAndEnter(line);
        }
    }
    return browser.evaluate(() => window.answers);
}

function consoleText() {
    return browser.evaluate(() => document.getElementById('console').textContent);
}

test('the field has the focus, so that the keyboard alone will do', async () => {
    assert.equal(await browser.evaluate(() => document.activeElement?.id), 'income');
});

// The time from Enter to the answer counts in its median over the inputs,
// which scripts/benchmark reports: the test asks only that it be well
// within what a person waits for, many times what a quiet machine takes.
test('shows for every line what the console shows, with its exit status', async () => {
    const times = [];
    for (const line of lines) {
        const expected = consoleRun(line);
        const got = await ask(line);
        assert.equal(got.shown[0], expected.shown, `input "${line.slice(0, 20)}"`);
        assert.equal(got.status, expected.status, `input "${line.slice(0, 20)}"`);
        times.push(got.milliseconds);
    }
    times.sort((a, b) => a - b);
    const median = times[Math.floor(times.length / 2)];
    console.log(`${engine}: Enter to result and explanation: median ${median.toFixed(1)} ms, slowest ${times.at(-1).toFixed(1)} ms`);
    assert.ok(median <= 100, `the median is ${median.toFixed(1)} ms`);
});

// Cents, from "$8,843.75", as the digits.
const centsOf = (amount) => amount.replace(/[$,]/g, '').replace('.', '');

// Puts the page in `language` by its switch, where it is in the other one.
async function useLanguage(language) {
    await browser.evaluate((wanted) => {
        if ((document.documentElement.lang === 'es' ? 'es' : 'en') !== wanted) {
            document.getElementById('language').click();
        }
    }, language);
}

// Figures worked from the 2008 schedule, the Tax Table's rule (the tax at
// the row's middle, rounded to whole dollars) and the worksheet's line, and
// what the program reads at the edges: not a number, amounts under a cent,
// the largest double; in each language, the same figures.
const largest = '179,769,313,486,231,570,814,527,423,731,704,356,798,070,567,525,844,996,598,917,476,803,157,260,780,028,538,760,589,558,632,766,878,171,540,458,953,514,382,464,234,321,326,889,464,182,768,467,546,703,537,516,986,049,910,576,551,282,076,245,490,090,389,328,944,075,868,508,455,133,942,304,583,236,903,222,948,165,808,559,332,123,348,274,797,826,204,144,723,168,738,177,180,919,299,881,250,404,026,184,124,858,368';
const explained = {
    en: [
        ['50000', [/the income as \$50,000\.00\./, /is \$8,850: .* row from \$50,000 to \$50,050 /,
            /Marginal rate: 25%.*Average rate: 17\.69%/]],
        ['50,000', [/the income as \$50\.00: it stopped at “,”/, /is \$6: .* row from \$50 to \$75 /]],
        ['50000 60000', [/the income as \$50,000\.00: it stopped at a space,/]],
        // From $100,000, the worksheet's line: the income times the rate,
        // to the cent, half a cent up, less the subtraction amount; and
        // where the program's doubles round the other way, which the return
        // takes.
        ['150000', [/line 44, is \$35,978\.25: .*Worksheet, whose line is \$150,000\.00 × 28% \(0\.28\) = \$42,000\.00, minus \$6,021\.75, is \$35,978\.25\./]],
        ['250000', [/line 44, is \$68,250\.75: .* \$250,000\.00 × 33% \(0\.33\) = \$82,500\.00, minus \$14,249\.25, is \$68,250\.75\./,
            /Marginal rate: 33%.*Average rate: 27\.30%/, /^(?![\s\S]*The program printed)/]],
        ['5196546.7', [/ = \$1,818,791\.35, minus \$21,403\.25, is \$1,797,388\.10\./,
            /The program printed \$1,797,388\.09: .* The return takes the worksheet's \$1,797,388\.10\./]],
        ['12345.67', [/row from \$12,300 to \$12,350 /]],
        ['abc', [/^The program read no number/]],
        // As the module's C++ library reads them, which no JavaScript parser
        // does alike: libc++ takes a hexadecimal number, and no number at
        // all from 5e4abc.
        ['0x1p3', [/the income as \$8\.00\./]],
        ['.5e1', [/the income as \$5\.00\./]],
        ['5e4abc', [/^The program read no number/]],
        ['0', [/is \$0: .* row from \$0 to \$5 /, /No tax is owed/]],
        ['-500', [/the income as −\$500\.00\./, /below zero is entered as zero/, /No tax is owed/]],
        ['nan', [/^The program read the income as not a number \(NaN\)\. No tax is worked out/]],
        // Under a cent: told exactly, in the row and bracket it is in.
        ['99999.999', [/the income as \$99,999\.999 \(\$100,000\.00 to the cent\)\./, /row from \$99,950 to \$100,000 /,
            /Marginal rate: 28%/]],
        ['8025.004', [/the income as \$8,025\.004 \(\$8,025\.00 to the cent\)\./, /Marginal rate: 15%/,
            /15% of the \$0\.00399\d* above \$8,025 is \$0\.00/]],
        ['1e-310', [/the income as 1e−310 dollars \(\$0\.00 to the cent\)\./, /Average rate: 10\.00%/]],
        ['5e-324', [/the income as 5e−324 dollars \(\$0\.00 to the cent\)\./, /Average rate: 0\.00%/]],
        ['1.7976931348623157e308', [new RegExp(`the income as \\$${largest}\\.00\\.`), /Average rate: 35\.00%/]],
    ],
    es: [
        ['50000', [/el ingreso como \$50,000\.00\./, /es \$8,850: .* fila de \$50,000 a \$50,050 /,
            /Tasa marginal: 25%.*Tasa promedio: 17\.69%/]],
        ['50,000', [/el ingreso como \$50\.00: se detuvo en “,”/, /es \$6: .* fila de \$50 a \$75 /]],
        ['50000 60000', [/el ingreso como \$50,000\.00: se detuvo en un espacio,/]],
        ['150000', [/línea 44, es \$35,978\.25: .*Cálculo del Impuesto, cuya línea es \$150,000\.00 × 28% \(0\.28\) = \$42,000\.00, menos \$6,021\.75, es \$35,978\.25\./]],
        ['250000', [/línea 44, es \$68,250\.75: .* \$250,000\.00 × 33% \(0\.33\) = \$82,500\.00, menos \$14,249\.25, es \$68,250\.75\./,
            /Tasa marginal: 33%.*Tasa promedio: 27\.30%/, /^(?![\s\S]*El programa escribió)/]],
        ['5196546.7', [/ = \$1,818,791\.35, menos \$21,403\.25, es \$1,797,388\.10\./,
            /El programa escribió \$1,797,388\.09: .* La declaración toma la cifra de la hoja de trabajo, \$1,797,388\.10\./]],
        ['12345.67', [/fila de \$12,300 a \$12,350 /]],
        ['abc', [/^El programa no leyó ningún número/]],
        ['0x1p3', [/el ingreso como \$8\.00\./]],
        ['.5e1', [/el ingreso como \$5\.00\./]],
        ['5e4abc', [/^El programa no leyó ningún número/]],
        ['0', [/es \$0: .* fila de \$0 a \$5 /, /No se debe impuesto/]],
        ['-500', [/el ingreso como −\$500\.00\./, /menor que cero se anota como cero/, /No se debe impuesto/]],
        ['nan', [/^El programa leyó el ingreso como algo que no es un número \(NaN\)\. No se calcula impuesto/]],
        ['99999.999', [/el ingreso como \$99,999\.999 \(\$100,000\.00 al centavo\)\./, /fila de \$99,950 a \$100,000 /,
            /Tasa marginal: 28%/]],
        ['8025.004', [/el ingreso como \$8,025\.004 \(\$8,025\.00 al centavo\)\./, /Tasa marginal: 15%/,
            /15% de los \$0\.00399\d* por encima de \$8,025 es \$0\.00/]],
        ['1e-310', [/el ingreso como 1e−310 dólares \(\$0\.00 al centavo\)\./, /Tasa promedio: 10\.00%/]],
        ['5e-324', [/el ingreso como 5e−324 dólares \(\$0\.00 al centavo\)\./, /Tasa promedio: 0\.00%/]],
        ['1.7976931348623157e308', [new RegExp(`el ingreso como \\$${largest}\\.00\\.`), /Tasa promedio: 35\.00%/]],
    ],
};
const parts50000 = {
    en: ['10% of the first $8,025 is $802.50', '15% of the next $24,525 is $3,678.75',
        '25% of the $17,450 above $32,550 is $4,362.50'],
    es: ['10% de los primeros $8,025 es $802.50', '15% de los siguientes $24,525 es $3,678.75',
        '25% de los $17,450 por encima de $32,550 es $4,362.50'],
};
// Every amount and rate of a text, in order.
const figures = (text) => text.match(/−?\$[\d,.]+\d|[\d.]+%|\d[\d.]*e−\d+/g);

for (const language of ['en', 'es']) {
    test(`explains each answer under the program's lines, with the figures the program gives (${language})`, async () => {
        await useLanguage(language);
        for (const [line, expected] of explained[language]) {
            const { shown, explained: got } = await ask(line);
            assert.equal(shown[0], consoleRun(line).shown, line);
            for (const pattern of expected) {
                assert.match(got.text, pattern, line);
            }
            assert.doesNotMatch(got.text, /(?<!\()NaN|Infinity|undefined|null/, line);
            if (language === 'es') {
                assert.doesNotMatch(got.text, /\b(the|of|income|is)\b/, `${line}: English in the Spanish`);
            }
            assert.ok(got.fits, `${line}: the page is wider than its window`);
            // The parts' taxes, to the cent, add up to the tax printed.
            const printed = /\$(\d+\.\d\d)\n$/.exec(shown[0])[1];
            if (got.parts.length > 0) {
                const sum = got.parts.reduce((total, part) => total + BigInt(centsOf(/(\S+)$/.exec(part)[1])), 0n);
                assert.equal(sum, BigInt(centsOf(printed)), `${line}: ${got.parts.join('; ')}`);
                // And the picture shades a step of the schedule for each.
                assert.equal(got.shadedSteps, got.parts.length, line);
            }
        }
        assert.deepEqual((await ask('50000')).explained.parts, parts50000[language]);
        for (const failing of ['1e400', `1${'0'.repeat(400)}`]) {
            assert.equal((await ask(failing)).explained, null, 'an error is not explained');
        }
        await useLanguage('en');
    });
}

const pageLanguage = () => browser.evaluate(() => [document.documentElement.lang,
    document.querySelector('link[rel=manifest]').getAttribute('href'), document.title.slice(0, 20)]);

test('speaks Spanish where the browser prefers it', {
    skip: engine === 'webkit' && skippedHere('selenium runs no script of the test\'s before a page\'s own, to prefer Spanish'),
}, async () => {
    await browser.evaluate(() => localStorage.removeItem('tax2008 language'));
    await browser.preferLanguages(['es-US', 'es', 'en']);
    await open(`${server.origin}/`);
    assert.deepEqual(await pageLanguage(), ['es', 'manifest-es.webmanifest', 'tax2008: el impuesto']);
    await browser.preferLanguages(null);
    await useLanguage('en');
});

test('switches language by its switch, remembered, with the program\'s lines and every figure the same', async () => {
    await open(`${server.origin}/`);
    await useLanguage('es');
    await open(`${server.origin}/`);
    assert.deepEqual(await pageLanguage(), ['es', 'manifest-es.webmanifest', 'tax2008: el impuesto']);
    const spanish = await ask('5196546.7');
    await useLanguage('en');
    await open(`${server.origin}/`);
    assert.deepEqual(await pageLanguage(), ['en', 'manifest.webmanifest', 'tax2008: the 2008 US']);
    const english = await ask('5196546.7');
    assert.equal(spanish.shown[0], consoleRun('5196546.7').shown);
    assert.deepEqual(figures(spanish.explained.text), figures(english.explained.text));
});

// Waits until the page has answered a question, ten seconds at most;
// returns the field's line and what the console box shows.
function firstAnswer() {
    return new Promise((resolve) => {
        const box = document.getElementById('console');
        const until = performance.now() + 10000;
        const check = () => (box.dataset.answered || performance.now() > until
            ? resolve([document.getElementById('income').value, box.textContent]) : setTimeout(check, 10));
        check();
    });
}

test('keeps each line in the address, for a link, a bookmark and the back button', async () => {
    await open(`${server.origin}/`);
    await ask('50000');
    await ask('8025 tax');
    // (The page takes its new address just after the answer.)
    assert.equal(await browser.evaluate(() => new Promise((resolve) => setTimeout(() => resolve(location.hash)))),
        '#8025%20tax');
    // Back, and forward, each to its answer.
    for (const [move, line] of [['back', '50000'], ['forward', '8025 tax']]) {
        await browser.evaluate(awaitAnswers, 1);
        await browser.evaluate((direction) => history[direction](), move);
        const { shown } = await browser.evaluate(() => window.answers);
        assert.equal(shown[0], consoleRun(line).shown, move);
        assert.equal(await browser.evaluate(() => document.getElementById('income').value), line, move);
    }
    // A line of up to 1,000 characters is kept; a longer one leaves the
    // address without a line.
    for (const [line, hash] of [['9'.repeat(1000), `#${'9'.repeat(1000)}`], ['9'.repeat(1001), '']]) {
        await ask(line);
        assert.equal(await browser.evaluate(() => new Promise((resolve) => setTimeout(() => resolve(location.hash)))),
            hash, `${line.length} characters`);
    }
    // A link answers at once, whatever it holds, as typed and never as
    // markup.
    const markup = '<img src=x onerror="document.title=1">';
    for (const line of ['12345.67', markup, '%zz']) {
        const link = line === '%zz' ? line : encodeURIComponent(line);
        await browser.open('about:blank');
        await open(`${server.origin}/#${link}`);
        assert.deepEqual(await browser.evaluate(firstAnswer), [line, consoleRun(line).shown], line);
    }
    assert.equal(await browser.evaluate(() => document.querySelectorAll('img').length), 0);
    assert.notEqual(await browser.evaluate(() => document.title), '1');
});

// What the print rules show, applied on screen to measure it.
test('prints the heading, the answer, its explanation and picture, black on white, without the field', async () => {
    await open(`${server.origin}/`);
    await ask('250000');
    const printed = await browser.evaluate(() => {
        const style = new CSSStyleSheet();
        style.replaceSync([...document.styleSheets].flatMap((sheet) => [...sheet.cssRules])
            .filter((rule) => rule.media?.mediaText === 'print')
            .map((rule) => [...rule.cssRules].map((inner) => inner.cssText).join('\n')).join('\n'));
        document.adoptedStyleSheets = [style];
        const shown = (id) => `${id} ${document.getElementById(id).getClientRects().length > 0}`;
        const seen = ['question', 'language', 'console', 'explanation', 'heading'].map(shown);
        const colours = [getComputedStyle(document.body).color, getComputedStyle(document.documentElement).backgroundColor];
        document.adoptedStyleSheets = [];
        return [...seen, ...colours, document.querySelectorAll('#explanation svg rect.taxed').length > 0];
    });
    assert.deepEqual(printed, ['question false', 'language false', 'console true', 'explanation true', 'heading true',
        'rgb(0, 0, 0)', 'rgb(255, 255, 255)', true]);
});

test('prints it on one Letter or A4 page', {
    skip: engine === 'webkit' && skippedHere('WebKitWebDriver has no Print Page command'),
}, async () => {
    await open(`${server.origin}/`);
    await ask('250000');
    for (const format of ['letter', 'a4']) {
        assert.equal(await browser.printedPages(format), 1, format);
    }
});

test('shows the range error in the program\'s own words', async () => {
    const { shown, status } = await ask('1e400');
    assert.match(shown[0], /\ntax2008: the taxable income is out of range\n$/);
    assert.equal(status, 1);
});

// WebKit's text fields hold 524,288 characters at most: what a field holds is
// what the program is asked.
test('answers a line of a million digits within a second, never freezing, in a box of sensible height', async () => {
    for (const pasted of ['1'.repeat(1e6), `${'0'.repeat(1e6)}50000`]) {
        const got = await ask(pasted);
        const line = pasted.slice(0, got.asked);
        const echo = `${line.slice(0, 40)}… (${line.length.toLocaleString('en')} characters, shortened here)`;
        const expected = consoleRun(line, echo);
        console.log(`${engine}: ${line.length} digits: ${got.milliseconds.toFixed(0)} ms, main thread busy ${got.busiest.toFixed(0)} ms at most`);
        assert.equal(got.shown[0], expected.shown);
        assert.equal(got.status, expected.status);
        assert.ok(got.milliseconds < 1000, `${got.milliseconds} ms`);
        assert.ok(got.busiest < 250, `the page was frozen for ${got.busiest} ms`);
        assert.ok(got.height < 700, `the box is ${got.height} px tall`);
    }
});

test('answers questions asked quickly each in turn, the last one last', async () => {
    const asked = ['50000', 'abc', '1e400', '8025'];
    const got = await ask(...asked);
    assert.deepEqual(got.shown, asked.map((line) => consoleRun(line).shown));
});

test('fits a phone\'s screen and loads nothing from another site', async () => {
    await browser.open(`${server.origin}/phone.html`);
    const fits = await browser.evaluate(() => new Promise((resolve) => {
        const frame = document.querySelector('iframe');
        const measure = () => {
            const root = frame.contentDocument?.documentElement;
            if (!root?.querySelector('#question[data-ready]')) {
                setTimeout(measure, 10);
                return;
            }
            resolve(root.scrollWidth <= frame.contentWindow.innerWidth);
        };
        measure();
    }));
    assert.ok(fits, 'the page is wider than 390 px');
    await open(`${server.origin}/`);
    await ask('50000');
    const elsewhere = await browser.evaluate(() => performance.getEntriesByType('resource')
        .map((entry) => entry.name).filter((name) => !name.startsWith(location.origin)));
    assert.deepEqual(elsewhere, []);
    await browser.screenshot(join(dirname(pageDirectory), 'screenshot.png'));
});

test('answers an Enter pressed while the program loads, once it has loaded', async () => {
    const slow = await serve({ slowProgram: 3000 });
    try {
        await open(`${slow.origin}/`);
        const { shown, seen } = await ask('50000');
        assert.ok(seen.some((text) => /^Loading the program; "50000" will be answered/.test(text)), seen.join('; '));
        assert.equal(shown[0], consoleRun('50000').shown);
    } finally {
        await slow.stop();
    }
});

test('answers an Enter pressed before the page\'s script has run', {
    skip: engine === 'webkit' && skippedHere('its driver cannot type into a page that is still loading'),
}, async () => {
    const slow = await serve({ slowScript: 2000 });
    try {
        const shown = await browser.askWhileOpening(`${slow.origin}/`, '50000');
        assert.match(shown, /^Loading the program; what you asked will be answered/);
        const answered = await browser.evaluate(() => new Promise((resolve) => {
            const box = document.getElementById('console');
            const check = () => (box.dataset.answered ? resolve(box.textContent) : setTimeout(check, 10));
            check();
        }));
        assert.equal(answered, consoleRun('50000').shown);
    } finally {
        await slow.stop();
    }
});

test('says why for each question where the program cannot run', async () => {
    const cases = [
        [{ missing: 'tax2008.wasm' }, /^The program could not be loaded: the server has no tax2008\.wasm \(404\)/],
        [{ missing: 'tax2008-worker.js' }, /^The program could not be started: a file of the page is missing/],
        [{ program: unstartable }, /^The program could not run for this question: LinkError/],
    ];
    for (const [failure, reason] of cases) {
        const failing = await serve(failure);
        try {
            await open(`${failing.origin}/`);
            const { shown, status } = await ask('50000');
            assert.equal(status, null);
            assert.match(shown[0].split('\n')[1], reason);
        } finally {
            await failing.stop();
        }
    }
});

test('says so where the device has gone offline', {
    skip: engine !== 'chromium' && skippedHere('only the Chromium driver takes a page offline here'),
}, async () => {
    const slow = await serve({ slowProgram: 3000 });
    try {
        await open(`${slow.origin}/`);
        await browser.offline(true);
        const { shown } = await ask('50000');
        // Offline before the program or the worker's script came, whichever.
        assert.match(shown[0].split('\n')[1], /^The program could not be (loaded|started): this device is offline\./);
    } finally {
        await browser.offline(false);
        await slow.stop();
    }
});

test('says so when opened as a file', async () => {
    await browser.open(`file://${pageDirectory}/index.html`);
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.match(await consoleText(), /^This page was opened as a file/);
});

test('loads and answers with the server gone, and takes a new version once served', async () => {
    const { port } = server.address();
    await open(`${server.origin}/`);
    // Once the service worker controls the page and has kept the page and
    // the program.
    await browser.evaluate((folder) => navigator.serviceWorker.ready.then(() => new Promise((resolve) => {
        const check = async () => {
            const kept = await caches.match('./') && await caches.match(`${folder}/tax2008.wasm`);
            return navigator.serviceWorker.controller && kept ? resolve() : setTimeout(check, 10);
        };
        check();
    })), builtVersion);
    await server.stop();
    await open(`${server.origin}/`);
    assert.equal((await ask('50000')).shown[0], consoleRun('50000').shown);
    // A link to an answer, too.
    await browser.open('about:blank');
    await open(`${server.origin}/#8025`);
    assert.deepEqual(await browser.evaluate(firstAnswer), ['8025', consoleRun('8025').shown]);

    server = await serve({ version: '9.9.9', port });
    let title = '';
    for (let reloads = 0; reloads < 20 && !title.endsWith('9.9.9'); reloads++) {
        await new Promise((resolve) => setTimeout(resolve, 250));
        await open(`${server.origin}/`);
        title = await browser.evaluate(() => document.title);
    }
    assert.match(title, / 9\.9\.9$/);
    assert.ok((await browser.evaluate(() => caches.keys())).includes(cacheOf('9.9.9')));
    assert.equal((await ask('50000')).shown[0], consoleRun('50000').shown);
});

// Waits until the page has loaded its program (and so every file it runs),
// ten seconds at most; returns the version each file came from, as
// "VERSION FILE".
function filesServed() {
    return new Promise((resolve) => {
        const until = performance.now() + 10000;
        const check = () => {
            const loaded = ['tax2008-worker.js', 'tax2008.wasm'].every((name) => self.served.some((mark) => mark.endsWith(` ${name}`)));
            if (!loaded && performance.now() < until) {
                setTimeout(check, 20);
                return;
            }
            const style = getComputedStyle(document.documentElement).getPropertyValue('--served').trim().slice(1, -1);
            resolve([...self.served, `${style} style.css`, ...(loaded ? [] : [`(not loaded: ${document.getElementById('console').textContent})`])]);
        };
        check();
    });
}

// Waits until the service worker whose cache is `name` is the only one, has
// kept the page and is active, the last in the record of active versions;
// false if it is not within twenty seconds.
function settled(name) {
    const until = performance.now() + 20000;
    return new Promise((resolve) => {
        const check = async () => {
            const registration = await navigator.serviceWorker.getRegistration();
            const only = registration?.active?.state === 'activated' && !registration.installing && !registration.waiting;
            const record = await (await caches.open('tax2008 record')).match('caches.json');
            const active = only && (await record?.json())?.active.at(-1) === name;
            if (active && (await caches.match('./', { cacheName: name }))) {
                resolve(true);
            } else if (performance.now() > until) {
                resolve(false);
            } else {
                setTimeout(check, 20);
            }
        };
        check();
    });
}
async function awaitSettled(name) {
    assert.ok(await browser.evaluate(settled, name), `${name} did not take over`);
}

// Serves each version in turn, reloading the page until it has taken over;
// returns the caches then kept.
async function servedInTurn(versioned, ...versions) {
    for (const version of versions) {
        versioned.options.version = version;
        await browser.reload();
        await awaitSettled(cacheOf(version));
    }
    return browser.evaluate(() => caches.keys());
}

test('keeps the files of the version active before, however versions are rolled back', async () => {
    const versioned = await serve({ version: '1.0.1' });
    try {
        await open(`${versioned.origin}/`);
        await awaitSettled(cacheOf('1.0.1'));
        const kept = await servedInTurn(versioned, '1.0.2', '1.0.1', '1.0.3');
        assert.deepEqual(kept.filter((name) => name.startsWith('tax2008-')).sort(), [cacheOf('1.0.1'), cacheOf('1.0.3')]);
    } finally {
        await versioned.stop();
    }
});

// The page staged again with a change, at the same version, and its
// service worker written by the build's own script, from the page's own with
// its digest taken out.
function rebuiltPage() {
    const rebuilt = mkdtempSync(join(tmpdir(), 'tax2008-rebuilt-'));
    cpSync(pageDirectory, rebuilt, { recursive: true });
    appendFileSync(join(rebuilt, builtVersion, 'style.css'), ':root { --rebuilt: 1; }\n');
    const template = join(mkdtempSync(join(tmpdir(), 'tax2008-template-')), 'service-worker.js.in');
    writeFileSync(template, readFileSync(join(pageDirectory, 'service-worker.js'), 'utf8')
        .replace(builtCache, `tax2008-${builtVersion}-@TAX2008_PAGE_DIGEST@`));
    const written = spawnSync('cmake', [`-DSTAGE=${rebuilt}`, `-DTEMPLATE=${template}`,
        `-DOUTPUT=${join(rebuilt, 'service-worker.js')}`, '-P', new URL('service_worker.cmake', import.meta.url).pathname],
    { encoding: 'utf8' });
    assert.equal(written.status, 0, written.stderr);
    rmSync(dirname(template), { recursive: true });
    const cache = /const cacheName = '([^']+)'/.exec(readFileSync(join(rebuilt, 'service-worker.js'), 'utf8'))[1];
    return { rebuilt, cache };
}

// The load after a rebuild is served runs the old files and keeps the new
// ones; the load after it runs the new.
test('takes a page rebuilt with changes at the same version at the load after the next', async () => {
    const { rebuilt, cache } = rebuiltPage();
    assert.notEqual(cache, builtCache, 'the rebuilt page\'s service worker is the same');
    const served = await serve();
    const rebuiltStyle = () => getComputedStyle(document.documentElement).getPropertyValue('--rebuilt').trim();
    try {
        await open(`${served.origin}/`);
        await awaitSettled(builtCache);
        served.options.directory = rebuilt;
        await open(`${served.origin}/`);
        await awaitSettled(cache);
        await open(`${served.origin}/`);
        assert.equal(await browser.evaluate(rebuiltStyle), '1');
    } finally {
        await served.stop();
        rmSync(rebuilt, { recursive: true, force: true });
    }
});

test('works behind a server that redirects /index.html to /', async () => {
    const redirecting = await serve({ redirectIndex: true });
    try {
        await open(`${redirecting.origin}/`);
        await awaitSettled(builtCache);
        await open(`${redirecting.origin}/index.html`);
        assert.equal((await ask('50000')).shown[0], consoleRun('50000').shown);
    } finally {
        await redirecting.stop();
    }
});

test('runs one version\'s files in each load, hidden or in front, while new versions are served', async () => {
    const versioned = await serve({ version: '1.0.1' });
    // The files every load runs, each marked by the version served: the
    // document, and every file of the version's folder but the licences.
    const names = ['index.html', ...readdirSync(join(pageDirectory, builtVersion), { recursive: true })
        .filter((path) => /\.(css|js|wasm)$/.test(path)).map((path) => path.split('/').at(-1))];
    const hidden = (run) => browser.hide !== undefined && run % 2 === 0;
    try {
        await open(`${versioned.origin}/`);
        const loaded = [];
        for (let run = 0; run < 8; run++) {
            // The service worker of the version served has kept it and taken
            // over; then the next version is served, and the page reloaded
            // at once.
            await awaitSettled(cacheOf(versioned.options.version));
            versioned.options.version = `1.0.${run + 2}`;
            await browser.hide?.(hidden(run));
            await browser.reload();
            const files = await browser.evaluate(filesServed);
            await browser.hide?.(false);
            const versions = new Set(files.map((mark) => mark.split(' ')[0]));
            loaded.push(`${hidden(run) ? 'hidden' : 'in front'}: ${[...versions].join(', ')}`);
            assert.equal(versions.size, 1, `run ${run + 1}, ${hidden(run) ? 'hidden' : 'in front'}, mixed versions: ${files.join('; ')}`);
            assert.deepEqual(new Set(files.map((mark) => mark.split(' ')[1])), new Set(names), `run ${run + 1}: ${files.join('; ')}`);
        }
        console.log(`${engine}: each reload ran one version: ${loaded.join('; ')}`);
        if (browser.hide === undefined) {
            skippedHere('the hidden reloads, as its driver cannot hide a tab here');
        }
    } finally {
        await versioned.stop();
    }
});
