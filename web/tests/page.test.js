// The page in headless chromium, served as a person serves it, typed at
// with the keys and read back from the terminal's rows.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawn, execFileSync} from 'node:child_process';
import {existsSync, mkdtempSync, readFileSync, writeFileSync, readdirSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

const CHROMIUM = process.env.GORVANDEL_CHROMIUM || '/usr/bin/chromium';
const WAIT = {timeout: 10000};
const puppeteer = await import('puppeteer-core').then((module) => module.default, () => null);
const skip = !existsSync(CHROMIUM) ? `no chromium at ${CHROMIUM}` : !puppeteer ? 'no puppeteer-core: npm ci in web/' : false;
const work = mkdtempSync(join(tmpdir(), 'gorvandel-page-'));
let server, address, browser;

before(async () => {
    if (skip) return;
    server = spawn(process.env.GORVANDEL_SERVE, ['0', process.env.GORVANDEL_SITE], {stdio: ['ignore', 'pipe', 'inherit']});
    address = await new Promise((resolve, reject) => {
        let said = '';
        server.stdout.on('data', (data) => (said += data).match(/http:\S+/) && resolve(said.match(/http:\S+/)[0]));
        server.on('exit', () => reject(new Error(`the server ended: ${said}`)));
    });
    browser = await puppeteer.launch({executablePath: CHROMIUM, headless: true, userDataDir: join(work, 'profile'),
        args: ['--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', ...(process.getuid() === 0 ? ['--no-sandbox'] : [])]});
});

after(async () => {
    await browser?.close();
    server?.kill();
    rmSync(work, {recursive: true, force: true});
});

// What the pages said on their consoles as errors (a script or style the policy blocked, say).
const complaints = [];

// A page of its own storage, at the prompt.
async function openPage(search = '?seed=1', contextOptions = {}, prepare = async () => {}) {
    const page = await (await browser.createBrowserContext(contextOptions)).newPage();
    await prepare(page);
    page.on('console', (message) => message.type() === 'error' && complaints.push(message.text()));
    page.on('pageerror', (error) => complaints.push(error.message));
    await page.setViewport({width: 1280, height: 800});
    const response = await page.goto(address + search);
    assert.match(response.headers()['content-security-policy'], /script-src 'self' 'wasm-unsafe-eval';/);
    await page.waitForFunction(() => document.querySelector('.xterm-rows')?.textContent.includes('Gorvandel>'), WAIT);
    return page;
}

const rows = (page) => page.$$eval('.xterm-rows > div', (all) => all.map((row) => row.textContent.replace(/\u00a0/g, ' ').trimEnd()));
const screen = async (page) => (await rows(page)).filter(Boolean).join('\n');

// Sends keys (names for puppeteer, or text), then waits until the screen holds expected.
async function keys(page, sequence, expected = null) {
    for (const key of sequence) {
        if (/^[A-Z][A-Za-z0-9]+$/.test(key)) await page.keyboard.press(key);
        else if (key.startsWith('Control+')) {
            await page.keyboard.down('Control');
            await page.keyboard.press(key.slice(8));
            await page.keyboard.up('Control');
        } else await page.keyboard.type(key);
    }
    if (expected !== null) {
        await page.waitForFunction((text) => document.querySelector('.xterm-rows').textContent.replace(/\u00a0/g, ' ')
            .includes(text), WAIT, expected);
    }
}

test('the line editor edits as a terminal does', {skip}, async () => {
    const page = await openPage();
    await keys(page, ['xx do something with world', 'Home', 'Delete', 'Control+d', 'Delete', 'End', 'Control+w',
        'big 世界 wide', 'Control+ArrowLeft', 'very ', 'F1', 'F5', 'Enter'], '"big 世界 very wide"');
    await keys(page, ['junk', 'Control+u', 'rew', 'Tab', 'Enter'], 'Gorvandel> reward');
    await page.waitForSelector('#learning tr.favourite', WAIT);
    await keys(page, ['ArrowUp', 'ArrowUp', 'ArrowDown', 'ArrowUp', 'Enter']);
    await page.waitForFunction(() => document.querySelector('.xterm-rows').textContent.split('very wide"').length === 3, WAIT);
    const wide = 'あ⌚'.repeat(25); // the watch is as wide for the terminal as for the line editor
    await keys(page, [`do something with ${wide}end`, 'Home', 'Control+ArrowRight', 'Control+ArrowRight',
        'Control+ArrowRight', 'ArrowRight', 'S', 'End', 'Backspace', 'Enter'], `"S${wide}en"`);
    const text = (await rows(page)).join('').replace(/\s/g, '');
    assert.ok(text.includes(`Gorvandel>reward`) && text.includes(`Gorvandel>dosomethingwithS${wide}en`), text);
});

test('pasted lines run as typed; Ctrl-D ends the session, which starts again; a reload keeps memory and history', {skip}, async () => {
    const page = await openPage();
    await keys(page, ['do something', 'Enter', 'reward', 'Enter']);
    await page.waitForSelector('#learning tr.favourite', WAIT);
    await page.evaluate(() => {
        const pasted = new DataTransfer();
        pasted.setData('text/plain', 'do something with p\x1b[15~1\ndo something with p2\n');
        document.querySelector('.xterm-helper-textarea').dispatchEvent(new ClipboardEvent('paste', {clipboardData: pasted, bubbles: true, cancelable: true}));
    });
    await keys(page, [], '"p2"');
    assert.match(await screen(page), /"p1"/);
    await keys(page, ['Control+d'], 'Bye Gorvandel');
    await page.click('#again');
    await page.waitForFunction(() => document.querySelector('.xterm-rows').textContent.split('Bye Gorvandel')[1]
        .includes('Gorvandel>'), WAIT);
    await page.reload();
    await page.waitForSelector('#learning tr.favourite', WAIT);
    await keys(page, ['ArrowUp', 'ArrowUp'], 'Gorvandel> do something with p1');
});

test('memory: downloaded for the console program, a refused file said as text, a refused stored one set aside, a full or refused storage said', {skip}, async (t) => {
    const folder = mkdtempSync(join(work, 'download-'));
    const page = await openPage('?seed=1', {downloadBehavior: {policy: 'allow', downloadPath: folder}});
    await keys(page, ['do something with a', 'Enter', 'punish', 'Enter']);
    await page.waitForFunction(() => localStorage.getItem('gorvandel.memory')?.includes('-1'), WAIT);
    const kept = await page.evaluate(() => localStorage.getItem('gorvandel.memory'));
    await page.click('#download');
    for (let i = 0; i < 100 && !readdirSync(folder).includes('gorvandel.memory'); i++) await new Promise((r) => setTimeout(r, 50));
    assert.equal(readFileSync(join(folder, 'gorvandel.memory'), 'utf8'), kept);
    if (existsSync(process.env.GORVANDEL_PROGRAM ?? '')) {
        const shown = execFileSync(process.env.GORVANDEL_PROGRAM, ['--show', '--memory', join(folder, 'gorvandel.memory')], {encoding: 'utf8', timeout: 10000});
        assert.match(shown, /-1 /);
    } else {
        t.diagnostic(`--show not tried: no console program at "${process.env.GORVANDEL_PROGRAM}"`);
    }
    const name = '<img src=x onerror=alert(1)>.memory';
    writeFileSync(join(folder, name), 'gorvandel memory 1\nplain 1\n');
    await (await page.$('#load')).uploadFile(join(folder, name));
    await page.waitForFunction(() => !document.querySelector('#notice').hidden, WAIT);
    assert.match(await page.$eval('#notice', (notice) => notice.textContent), /^gorvandel: <img src=x onerror=alert\(1\)>\.memory:2: /);
    assert.equal(await page.$('img'), null);
    assert.equal(await page.evaluate(() => localStorage.getItem('gorvandel.memory')), kept);
    writeFileSync(join(folder, 'unicode.memory'), Buffer.from('\ufeffgorvandel memory 2\nplain hello 4\nend\n', 'utf16le'));
    await page.evaluate(() => { // storage full: the file is not taken, and says so
        localStorage.removeItem('gorvandel.memory');
        for (let size = 1 << 20, n = 0; size >= 1; size >>= 1) try { for (;;) localStorage.setItem(`fill${n++}`, 'x'.repeat(size)); } catch {}
    });
    await (await page.$('#load')).uploadFile(join(folder, 'unicode.memory'));
    await page.waitForFunction(() => document.querySelector('#notice').textContent.includes('cannot be kept'), WAIT);
    await page.evaluate(() => Object.keys(localStorage).forEach((key) => key.startsWith('fill') && localStorage.removeItem(key)));
    await (await page.$('#load')).uploadFile(join(folder, 'unicode.memory'));
    await page.waitForSelector('#learning tr.favourite', WAIT);
    await page.evaluate(() => localStorage.setItem('gorvandel.memory', 'not a memory'));
    await page.reload();
    await page.waitForFunction(() => document.querySelector('#notice').textContent.includes('set aside'), WAIT);
    await keys(page, ['do something', 'Enter', 'reward', 'Enter']);
    await page.waitForFunction(() => localStorage.getItem('gorvandel.memory')?.includes('1'), WAIT);
    const aside = await page.evaluate(() => Object.keys(localStorage).filter((key) => key.startsWith('gorvandel.memory.refused.'))
        .map((key) => localStorage.getItem(key)));
    assert.deepEqual(aside, ['not a memory']);
    const refused = await openPage('?seed=1', {}, (page) => page.evaluateOnNewDocument(() => Object.defineProperty(window,
        'localStorage', {get: () => { throw new DOMException('The operation is insecure.', 'SecurityError'); }})));
    await keys(refused, ['do something', 'Enter', 'reward', 'Enter']);
    await refused.waitForFunction(() => document.querySelector('#notice').textContent.includes('keeps nothing'), WAIT);
});

test('a seed gives the same session; on a narrow screen the learning goes below the terminal', {skip}, async () => {
    const sessions = [];
    for (const width of [1280, 400]) {
        const page = await openPage('?seed=5');
        await page.setViewport({width, height: 900});
        await keys(page, ['do something with a', 'Enter', 'do something with a', 'Enter', 'reward', 'Enter',
            'do something with a', 'Enter']);
        await page.waitForFunction(() => document.querySelector('.xterm-rows').textContent.split('"a"').length === 4, WAIT);
        sessions.push(await screen(page));
        const [terminal, learning] = await Promise.all(['#terminal', '#learning'].map((id) => page.$eval(id, (e) => {
            const box = e.getBoundingClientRect();
            return {left: box.left, bottom: box.bottom, top: box.top};
        })));
        assert.equal(learning.top >= terminal.bottom, width === 400);
        if (width === 1280) await page.screenshot({path: process.env.GORVANDEL_SCREENSHOT});
    }
    assert.equal(sessions[0], sessions[1]);
    assert.deepEqual(complaints, []);
});
