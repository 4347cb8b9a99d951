// The web page's sizes and times: the module raw, the page's script,
// styles and module gzipped, the page to its first prompt in headless
// chromium (median of 5 loads, each in fresh storage), and 100,000 lines
// through the module in Node. Build the folder first (cmake --workflow
// --preset web); reports, and fails on nothing.
// Usage: node bench/web.mjs [SITE]   (SITE: build/web/site)
import {readFileSync, readdirSync, mkdtempSync, rmSync, existsSync} from 'node:fs';
import {gzipSync} from 'node:zlib';
import {spawn} from 'node:child_process';
import {createRequire} from 'node:module';
import {join} from 'node:path';
import {tmpdir} from 'node:os';
import {fileURLToPath} from 'node:url';

const root = fileURLToPath(new URL('..', import.meta.url));
const site = process.argv[2] ?? join(root, 'build/web/site');
const {Gorvandel} = await import(new URL('../web/src/module_host.js', import.meta.url));
const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;

const wasm = readFileSync(join(site, 'gorvandel.wasm'));
console.log(`module: ${kib(wasm.length)} raw, ${kib(gzipSync(wasm, {level: 9}).length)} gzip (at most 96 KiB raw)`);
const shipped = readdirSync(site).filter((name) => /\.(m?js|css|wasm)$/.test(name));
const gzipped = shipped.reduce((sum, name) => sum + gzipSync(readFileSync(join(site, name)), {level: 9}).length, 0);
console.log(`page script, styles and module: ${kib(gzipped)} gzip (at most 150 KiB): ${shipped.join(' ')}`);

const module = await Gorvandel.load(wasm, {output: () => {}});
module.start(1, null);
const lines = ['do something', 'reward', 'do something with a name', 'punish', 'nonsense'];
const began = performance.now();
for (let i = 0; i < 100000; i++) {
    module.run(lines[i % lines.length]);
}
console.log(`100,000 lines through the module in Node: ${(performance.now() - began).toFixed(0)} ms (at most 500 ms)`);

const chromium = process.env.GORVANDEL_CHROMIUM || '/usr/bin/chromium';
let puppeteer = null;
try {
    puppeteer = (await import(createRequire(join(root, 'web/package.json')).resolve('puppeteer-core'))).default;
} catch {
    // reported below
}
if (!puppeteer || !existsSync(chromium)) {
    console.log('page to prompt: not measured (needs chromium and npm ci in web/)');
    process.exit(0);
}
const server = spawn(join(root, 'scripts/serve-web.sh'), ['0', site], {stdio: ['ignore', 'pipe', 'inherit']});
const address = await new Promise((resolve) => {
    let said = '';
    server.stdout.on('data', (data) => (said += data).match(/http:\S+/) && resolve(said.match(/http:\S+/)[0]));
});
const profile = mkdtempSync(join(tmpdir(), 'gorvandel-bench-'));
const browser = await puppeteer.launch({executablePath: chromium, headless: true, userDataDir: profile,
    args: ['--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-component-update',
        '--disable-sync', ...(process.getuid() === 0 ? ['--no-sandbox'] : [])]});
const times = [];
for (let i = 0; i < 5; i++) {
    const page = await (await browser.createBrowserContext()).newPage();
    const start = performance.now();
    await page.goto(address);
    await page.waitForFunction(() => document.querySelector('.xterm-rows')?.textContent.includes('Gorvandel>'),
        {timeout: 10000, polling: 'mutation'});
    times.push(performance.now() - start);
    await page.close();
}
times.sort((a, b) => a - b);
console.log(`page to prompt, headless: median ${times[2].toFixed(0)} ms of ${times.map((t) => t.toFixed(0)).join(' ')} (at most 1000 ms)`);
await browser.close();
server.kill();
rmSync(profile, {recursive: true, force: true});
