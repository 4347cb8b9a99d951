// The page: a terminal where the module (module.cpp) holds the session,
// the line editor at its prompt, the memory and history kept in the page,
// and the learning drawn beside it.

import {Terminal} from './xterm.mjs';
import {FitAddon} from './addon-fit.mjs';
import {Gorvandel, ModuleStopped} from './module_host.js';
import {LineEditor} from './line_editor.js';
import {drawLearning} from './learning_view.js';
import * as store from './page_store.js';

const SEED_LIMIT = 2 ** 32 - 1;
const byId = (id) => document.getElementById(id);

// ?seed=N gives the same session for the same lines; otherwise a seed of its own each time.
function chooseSeed() {
    const given = new URLSearchParams(location.search).get('seed');
    if (given === null) {
        return crypto.getRandomValues(new Uint32Array(1))[0];
    }
    return /^[0-9]{1,10}$/.test(given) && Number(given) <= SEED_LIMIT ? Number(given) : null;
}

function say(text) {
    const notice = byId('notice');
    notice.textContent = text;
    notice.hidden = text === '';
}

const terminal = new Terminal({convertEol: true, cursorBlink: true, scrollback: 5000, allowProposedApi: true,
    fontFamily: 'DejaVu Sans Mono, Liberation Mono, monospace'});
const fit = new FitAddon();
let gorvandel = null;
let lastLine = '';
const lines = store.history();

function showOutput(text) {
    terminal.write(text);
    lastLine = (lastLine + text).slice((lastLine + text).lastIndexOf('\n') + 1);
}

// The terminal's columns for each character, as the module counts them (the
// C library's table; xterm.js's own has ⌚ and 😀 one column wide), so that the
// line editor finds the rows it drew. A character of no columns joins the
// one before, as xterm.js joins it.
function widthsOf(module) {
    const wcwidth = (code) => module.columns(code);
    return {
        version: 'gorvandel',
        wcwidth,
        charProperties(code, preceding) {
            const before = (preceding >> 1) & 3;
            const joins = wcwidth(code) === 0 && before !== 0;
            return ((joins ? before : wcwidth(code)) << 1) | (joins ? 1 : 0);
        },
    };
}

async function loadModule() {
    gorvandel = await Gorvandel.load(fetch('gorvandel.wasm'), {output: showOutput, error: showOutput});
    terminal.unicode.register(widthsOf(gorvandel));
    terminal.unicode.activeVersion = 'gorvandel';
}

// Runs a call into the module; when the module stops, says why and ends the session.
function guarded(call) {
    try {
        return call();
    } catch (error) {
        if (!(error instanceof ModuleStopped) && !(error instanceof WebAssembly.RuntimeError)) {
            throw error;
        }
        gorvandel = null;
        say(`${error instanceof ModuleStopped ? error.message : `Gorvandel stopped: ${error.message}`}: ` +
            'this session has ended.');
        ended();
        return null;
    }
}

function redrawLearning() {
    drawLearning(byId('learning'), gorvandel.learning(), gorvandel.weightLimit);
}

function ended() {
    editor.active = false;
    byId('again').hidden = false;
    byId('again').focus();
}

// The prompt is what the module wrote since the last line end; what is
// typed after it never goes through showOutput.
function beginLine() {
    editor.begin(lastLine);
    lastLine = '';
}

function runLine(line) {
    store.addToHistory(lines, line, gorvandel.historyLimit);
    const result = guarded(() => gorvandel.run(line));
    if (result === null) {
        return;
    }
    if (result.changed) {
        const problem = store.keepMemory(gorvandel.memory());
        if (problem !== null) {
            say(`What was learned cannot be kept in this page: ${problem}`);
        }
        redrawLearning();
    }
    result.goesOn ? beginLine() : ended();
}

const editor = new LineEditor({
    terminal,
    columns: (code) => gorvandel.columns(code),
    complete: (before) => guarded(() => gorvandel.complete(before, terminal.cols)),
    history: lines,
    onLine: runLine,
    onEndOfInput: () => {
        guarded(() => gorvandel.end());
        ended();
    },
});

// A stored memory the module refuses is set aside and said; the session starts afresh.
function storedMemory() {
    const text = store.memoryText();
    const refusal = text === null ? null : gorvandel.checkMemory(text);
    if (refusal === null) {
        return text;
    }
    const key = store.setMemoryAside(text);
    say(`gorvandel: the memory kept in this page:${refusal}\n` + (key !== null
        ? `It is set aside under the key "${key}" of this page's storage; this session starts afresh.`
        : 'It stays where it is, unused, and nothing learned now is kept.'));
    return null;
}

async function startSession() {
    byId('again').hidden = true;
    lastLine = '';
    const seed = chooseSeed();
    if (seed === null) {
        say(`gorvandel: invalid seed "${new URLSearchParams(location.search).get('seed')}": ` +
            `expected a number from 0 to ${SEED_LIMIT}`);
        return;
    }
    if (gorvandel === null) {
        await loadModule();
    }
    const memory = storedMemory();
    guarded(() => gorvandel.start(seed, memory));
    const notices = guarded(() => gorvandel.notices()) ?? [];
    if (notices.length > 0) {
        const earlier = byId('notice').textContent;
        say([earlier, ...notices.map((line) => `gorvandel: the memory kept in this page:${line}`)]
            .filter((line) => line !== '').join('\n'));
    }
    redrawLearning();
    beginLine();
}

// The file Download gives is one `gorvandel --memory FILE` reads.
function downloadMemory() {
    const text = store.memoryText() ?? gorvandel?.memory() ?? '';
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([text], {type: 'text/plain'}));
    link.download = 'gorvandel.memory';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The text of a memory file, read as the program reads it: UTF-16 after
// its byte-order mark (Notepad's "Unicode"), else UTF-8.
function memoryTextOf(bytes) {
    const encoding = bytes[0] === 0xff && bytes[1] === 0xfe ? 'utf-16le'
        : bytes[0] === 0xfe && bytes[1] === 0xff ? 'utf-16be' : 'utf-8';
    return new TextDecoder(encoding).decode(bytes);
}

// A loaded file becomes the page's memory and starts a new session with it;
// one the program refuses, or one the page cannot keep, is refused saying
// why, and the stored memory stays.
async function loadMemory(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (gorvandel === null) {
        await loadModule();
    }
    const refusal = guarded(() => gorvandel.checkMemory(bytes));
    if (gorvandel === null) {
        return;
    }
    if (refusal !== null) {
        say(`gorvandel: ${file.name}:${refusal}\nThe memory kept in this page stays as it was.`);
        return;
    }
    const problem = store.keepMemory(memoryTextOf(bytes));
    if (problem !== null) {
        say(`${file.name} cannot be kept in this page: ${problem}\nThe memory kept in this page stays as it was.`);
        return;
    }
    say(`Loaded ${file.name}: a new session starts with it.`);
    terminal.write('\r\n');
    lastLine = '';
    await startSession();
}

function main() {
    terminal.loadAddon(fit);
    terminal.open(byId('terminal'));
    fit.fit();
    new ResizeObserver(() => fit.fit()).observe(byId('terminal'));
    terminal.onData((data) => editor.receive(data));
    byId('again').addEventListener('click', () => {
        terminal.write('\r\n');
        startSession().then(() => terminal.focus());
    });
    byId('download').addEventListener('click', downloadMemory);
    byId('load').addEventListener('change', (event) => {
        const [file] = event.target.files;
        event.target.value = '';
        if (file) {
            loadMemory(file).then(() => terminal.focus());
        }
    });
    terminal.focus();
    startSession();
}

main();
