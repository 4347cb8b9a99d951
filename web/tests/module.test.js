// The module as the page drives it, against the program's expected texts.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {Gorvandel, ModuleStopped} from '../src/module_host.js';
import {addToHistory} from '../src/page_store.js';

const bytes = readFileSync(process.env.GORVANDEL_MODULE);
const expected = {};
for (const line of readFileSync(process.env.GORVANDEL_EXPECTED_TEXTS, 'utf8').split('\n')) {
    const match = /^([a-z-]+) "(.*)"$/.exec(line);
    if (match) {
        (expected[match[1]] ??= []).push(match[2]);
    }
}
const PROMPT = expected.prompt[0];

// A session started from memory (or afresh) with seed; its output so far in .said.
async function session(seed, memory = null, localOffset = () => 0) {
    const module = await Gorvandel.load(bytes, {output: (text) => { module.said += text; }, localOffset});
    module.said = '';
    module.refusal = module.start(seed, memory);
    return module;
}

// The answer lines of one line, the prompt after it taken off.
function answer(module, line) {
    module.said = '';
    const result = module.run(line);
    return {...result, lines: module.said.replace(new RegExp(`${PROMPT}$`), '').split('\n').slice(0, -1)};
}

test('every action writes its line, the same ones for the same seed', async () => {
    const plain = new Set(), argument = new Set();
    const runs = [];
    for (const seed of [1, 1, 2]) {
        const module = await session(seed);
        assert.equal(module.said, PROMPT);
        let said = '';
        for (let i = 0; i < 300; i++) {
            const [line] = answer(module, 'do something').lines;
            // The date line, which the clock moves, stands as its kind only.
            const kind = /^\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}$/.test(line) ? 'date' : line;
            plain.add(/^0x[0-9a-f]+$/.test(line) ? 'hexadecimal' : /^\d+$/.test(line) ? 'decimal' : kind);
            argument.add(answer(module, 'do something with <b>名</b>').lines[0]);
            said += `${kind}\n`;
        }
        runs.push(said);
    }
    assert.ok(runs[0] === runs[1], 'seed 1 gave two sessions');
    assert.ok(runs[0] !== runs[2], 'seeds 1 and 2 gave the same session');
    const fixed = expected.plain.slice(0, expected.plain.length);
    assert.deepEqual([...plain].sort(), [...fixed, 'date', 'decimal', 'hexadecimal'].sort());
    assert.deepEqual([...argument].sort(), expected.argument.map((text) => text.replace('%s', '<b>名</b>')).sort());
});

test('commands the persona does not know, judging without an action, exit and the end of input', async () => {
    const module = await session(3);
    assert.deepEqual(answer(module, 'do  something').lines, expected.unknown);
    assert.deepEqual(answer(module, 'reward').lines, expected['no-data']);
    assert.deepEqual(answer(module, 'exit'), {goesOn: false, changed: false, lines: expected.farewell});
    const ended = await session(3);
    ended.said = '';
    ended.end();
    assert.equal(ended.said, `\n${expected.farewell.join('\n')}\n`);
});

test('judging moves the weight within its bounds and the memory text follows', async () => {
    const module = await session(4);
    const limit = module.weightLimit;
    for (let i = 0; i < 8 * limit; i++) {
        answer(module, 'do something with x');
        answer(module, 'reward');
    }
    answer(module, 'do something with x');
    assert.equal(answer(module, 'reward').changed, false);
    const [, {actions, favourite}] = module.learning();
    assert.deepEqual([actions[favourite].weight, actions[favourite].chance], [limit, 1]);
    assert.ok(actions.every((action) => Math.abs(action.weight) <= limit));
    answer(module, 'do something with x');
    assert.equal(answer(module, 'punish').changed, true);
    const again = await session(5, module.memory());
    assert.equal(again.refusal, null);
    assert.deepEqual(again.learning(), module.learning());
    // A newer version's line is said, with its line, and kept by every save.
    const newer = await session(5, module.memory().replace(/end\n$/, 'plain teleport 2\nend\n'));
    assert.deepEqual(newer.notices(), [`${module.memory().split('\n').length - 1}: 'plain teleport' ` +
        'names no action this version knows; the line is kept as it stands']);
    assert.match(newer.memory(), /\nplain teleport 2\nend\n$/);
});

test('a memory text the program refuses starts nothing, and says its line', async () => {
    const module = await session(6, 'gorvandel memory 1\nplain 1 2\n');
    assert.match(module.refusal, /^2: ./);
    assert.equal(module.said, '');
    assert.equal(module.checkMemory(new Uint8Array([0xff, 0xfe, 0x00])) !== null, true);
    assert.equal(module.checkMemory((await session(7)).memory()), null);
});

test('Tab completes the command words', async () => {
    const module = await session(8);
    assert.deepEqual(module.complete('ex', 80), {insert: 'it'});
    assert.equal(module.complete('zz', 80), null);
    const {choices} = module.complete('', 80);
    assert.deepEqual(choices.split(/\s{2,}|\n/).filter(Boolean).sort(),
        ['do something', 'do something with', 'exit', 'punish', 'reward']);
});

test('the date line is in the page\'s time zone', async () => {
    const dateOf = async (offset) => {
        const module = await session(9, null, () => offset);
        for (;;) {
            const [line] = answer(module, 'do something').lines;
            if (/:\d\d:\d\d /.test(line)) return Date.parse(line.replace(/^\w+ /, '') + ' UTC');
        }
    };
    const difference = (await dateOf(90)) - (await dateOf(0));
    assert.ok(Math.abs(difference - 90 * 60000) < 5000, `${difference} ms apart`);
});

test('memory that runs out is said, not a silent stop', async () => {
    const module = await session(10);
    assert.throws(() => module.put(new Uint8Array(300 * 1024 * 1024)), ModuleStopped);
});

test('the history keeps the last lines, but no empty line or repeat', async () => {
    const {historyLimit} = await session(11);
    const lines = [];
    for (let i = 0; i <= historyLimit; i++) {
        for (const line of [`line ${i}`, `line ${i}`, '']) addToHistory(lines, line, historyLimit);
    }
    assert.equal(lines.length, historyLimit);
    assert.deepEqual([lines[0], lines.at(-1)], ['line 1', `line ${historyLimit}`]);
});
