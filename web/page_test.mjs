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
import { existsSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';

const [engine, browserProgram, pageDirectory, ...consoleCommand] = process.argv.slice(2);

// A tool the test needs is not installed: the test fails, naming it.
function missing(what) {
    console.log(`cannot run: ${what}`);
    process.exit(1);
}
const installs = { chromium: 'chromium', firefox: 'firefox-esr', webkit: 'webkit2gtk-driver xvfb xauth' };
if (!existsSync(join(pageDirectory, 'vendor/browser_wasi_shim/wasi.js'))) {
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

// Serves the staged page on a port of its own (its own origin), or a page
// that fails in one way: `missing` answers 404 for that file, `slowProgram`
// delays the module by that many milliseconds, `program` replaces it, and
// `version` renames the release (in the title and the service worker's
// cache). /phone.html frames the page at a phone's width.
const types = {
    '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
};
async function serve({ missing, slowProgram = 0, program, version, port = 0 } = {}) {
    const server = createServer(async (request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
        if (path === '/phone.html') {
            response.writeHead(200, { 'content-type': 'text/html' });
            response.end('<!doctype html><title>phone</title><iframe src="/" width="390" height="700"></iframe>');
            return;
        }
        const file = join(pageDirectory, path.endsWith('/') ? `${path}index.html` : path);
        if (!file.startsWith(pageDirectory) || !existsSync(file) || file.endsWith(`/${missing}`)) {
            response.writeHead(404).end();
            return;
        }
        let body = readFileSync(file);
        if (file.endsWith('.wasm')) {
            await new Promise((resolve) => setTimeout(resolve, slowProgram));
            body = program ?? body;
        }
        if (version && /\.(html|js)$/.test(file)) {
            body = body.toString().replace(/tax2008-\d+\.\d+\.\d+/, `tax2008-${version}`).replace('</title>', ` ${version}</title>`);
        }
        response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
        response.end(body);
    });
    await new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
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
    return {
        open: (url) => page.goto(url),
        reload: () => page.reload(),
        evaluate: (fn, ...args) => page.evaluate(fn, ...args),
        typeAndEnter: async (text) => {
            await page.type('#income', text);
            await page.keyboard.press('Enter');
        },
        screenshot: (path) => page.screenshot({ path }),
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
            if (document.querySelector('button:enabled') || performance.now() > until) {
                resolve(document.querySelector('button:enabled') !== null);
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
                resolve({ shown, seen, status, milliseconds: performance.now() - start, busiest,
                    height: box.offsetHeight, asked: field.value.length });
            }
        }).observe(box, { attributes: true, childList: true, subtree: true, characterData: true });
    });
}

// Types each line and presses Enter after it, without waiting in between;
// returns what the page showed for each, and the rest awaitAnswers records.
// A line too long to type is pasted.
async function ask(...asked) {
    await browser.evaluate(awaitAnswers, asked.length);
    for (const line of asked) {
        const pasted = line.length > 1000 ? line : '';
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
    console.log(`${engine}: Enter to result: median ${median.toFixed(1)} ms, slowest ${times.at(-1).toFixed(1)} ms`);
    assert.ok(median < 50, `the median ${median} ms is more than a few frames`);
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
            if (!root?.querySelector('button:enabled')) {
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
    skip: engine !== 'chromium' && 'only the Chromium driver takes a page offline here',
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
    await browser.evaluate(() => navigator.serviceWorker.ready.then(() => new Promise((resolve) => {
        const check = async () => {
            const kept = await caches.match('./') && await caches.match('tax2008.wasm');
            return navigator.serviceWorker.controller && kept ? resolve() : setTimeout(check, 10);
        };
        check();
    })));
    await server.stop();
    await open(`${server.origin}/`);
    assert.equal((await ask('50000')).shown[0], consoleRun('50000').shown);

    server = await serve({ version: '9.9.9', port });
    let title = '';
    for (let reloads = 0; reloads < 20 && !title.endsWith('9.9.9'); reloads++) {
        await new Promise((resolve) => setTimeout(resolve, 250));
        await open(`${server.origin}/`);
        title = await browser.evaluate(() => document.title);
    }
    assert.match(title, / 9\.9\.9$/);
    assert.deepEqual(await browser.evaluate(() => caches.keys()), ['tax2008-9.9.9']);
    assert.equal((await ask('50000')).shown[0], consoleRun('50000').shown);
});
