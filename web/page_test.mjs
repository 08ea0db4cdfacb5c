// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Tests the web page in Chromium, as its users would: with the keyboard
// alone, it must show for each typed line what the console program shows,
// soon after Enter.
//
//   node page_test.mjs PAGE_DIRECTORY CHROMIUM CONSOLE_COMMAND...
//
// PAGE_DIRECTORY is the staged page; CONSOLE_COMMAND runs the same module as
// a console program (node wasi-run.cjs tax2008.wasm). Exits 77, skipped,
// where there is no browser or no playwright-core, and saves a screenshot of
// the page beside PAGE_DIRECTORY.
import { spawnSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';

const [pageDirectory, chromium, ...consoleCommand] = process.argv.slice(2);

function skip(reason) {
    console.log(`skipped: ${reason}`);
    process.exit(77);
}
if (!existsSync(join(pageDirectory, 'vendor/browser_wasi_shim/index.js'))) {
    skip('the page is not staged: npm ci has not installed @bjorn3/browser_wasi_shim');
}
if (!chromium || chromium.endsWith('-NOTFOUND') || !existsSync(chromium)) {
    skip('no Chromium (apt-get install chromium)');
}
let playwright;
try {
    playwright = await import('playwright-core');
} catch {
    skip('no playwright-core: run npm ci');
}

// The single-line inputs of the dialogue test, and a number out of range.
const lines = [
    '50000', '0', '-500', '8025', '32550', '357700', '1000000', '12345.67', '11439.70', '174035.50', '5e4',
    '50,000', '  50000', 'abc', '$50000', '', '50000e', '50000EUR', '1e-400', 'inf', 'INF', '-inf', 'nan', '0x10',
    '50000abc', '12345.67abc', '1e5x', '1e400', '-1e400', '9'.repeat(400),
];

// What the console shows for `line`: the program's standard output with the
// typed line echoed after the prompt (before the program's first line end),
// then its standard error; and its exit status.
function consoleRun(line) {
    const run = spawnSync(consoleCommand[0], consoleCommand.slice(1), { input: `${line}\n`, encoding: 'utf8' });
    const promptEnd = run.stdout.includes('\n') ? run.stdout.indexOf('\n') : run.stdout.length;
    const shown = `${run.stdout.slice(0, promptEnd)}${line}\n${run.stdout.slice(promptEnd)}${run.stderr}`;
    return { shown, status: run.status };
}

const types = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
    const file = join(pageDirectory, path.endsWith('/') ? `${path}index.html` : path);
    if (!file.startsWith(pageDirectory) || !existsSync(file)) {
        response.writeHead(404).end();
        return;
    }
    response.writeHead(200, { 'content-type': types[extname(file)] ?? 'application/octet-stream' });
    response.end(readFileSync(file));
});
let browser;
let page;
let origin;
const elsewhere = [];

before(async () => {
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    origin = `http://127.0.0.1:${server.address().port}`;
    browser = await playwright.chromium.launch({
        executablePath: chromium,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run'],
    });
    page = await browser.newPage({ viewport: { width: 390, height: 560 } });
    page.on('request', (request) => {
        if (!request.url().startsWith(origin)) {
            elsewhere.push(request.url());
        }
    });
    await page.goto(`${origin}/`);
    await page.locator('button:enabled').waitFor();
});

after(async () => {
    await browser?.close();
    server.close();
});

// Types `line` into the field and presses Enter; returns what the page
// shows, the exit status it got, and the milliseconds from Enter to the
// result in the page.
async function ask(line) {
    await page.getByLabel('Taxable income for 2008, in dollars').fill(line);
    await page.evaluate(() => {
        window.answered = new Promise((resolve) => {
            let start = 0;
            document.getElementById('income').addEventListener('keydown', () => {
                start = performance.now();
            }, { once: true, capture: true });
            new MutationObserver((records, observer) => {
                observer.disconnect();
                resolve(performance.now() - start);
            }).observe(document.getElementById('console'), { childList: true, subtree: true, characterData: true });
        });
    });
    await page.keyboard.press('Enter');
    const milliseconds = await page.evaluate(() => window.answered);
    const shown = await page.locator('#console').textContent();
    const status = Number(await page.locator('#console').getAttribute('data-status'));
    return { shown, status, milliseconds };
}

test('the field has the focus, so that the keyboard alone will do', async () => {
    await page.waitForFunction(() => document.activeElement?.id === 'income', null, { timeout: 5000 });
});

test('shows for every line what the console shows, with its exit status', async () => {
    const times = [];
    for (const line of lines) {
        const expected = consoleRun(line);
        const got = await ask(line);
        assert.equal(got.shown, expected.shown, `input "${line.slice(0, 20)}"`);
        assert.equal(got.status, expected.status, `input "${line.slice(0, 20)}"`);
        times.push(got.milliseconds);
    }
    times.sort((a, b) => a - b);
    const median = times[Math.floor(times.length / 2)];
    console.log(`Enter to result: median ${median.toFixed(2)} ms, slowest ${times.at(-1).toFixed(2)} ms`);
    assert.ok(median < 16, `the median ${median} ms is more than a frame`);
});

test('shows the range error in the program\'s own words', async () => {
    const { shown, status } = await ask('1e400');
    assert.match(shown, /\ntax2008: the taxable income is out of range\n$/);
    assert.equal(status, 1);
});

test('fits a phone\'s screen and loads nothing from another site', async () => {
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth));
    assert.deepEqual(elsewhere, []);
    await ask('50000');
    await page.screenshot({ path: join(dirname(pageDirectory), 'screenshot.png') });
});
