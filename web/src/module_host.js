// The WebAssembly module (module.cpp) and what it asks of its host: the
// few WASI calls its C library makes, and the page's own (page.h). The page
// and the Node tests both run the module through this file.

const encoder = new TextEncoder();

// Thrown out of the module when its memory runs out or it stops.
export class ModuleStopped extends Error {}

// The C library's calls: the clock, standard error, and no environment.
function wasiImports(memory, writeError) {
    const view = () => new DataView(memory().buffer);
    const ERRNO_BADF = 8;
    return {
        clock_time_get(id, precision, at) {
            const milliseconds = id === 0 ? Date.now() : performance.now();
            view().setBigUint64(at, BigInt(Math.round(milliseconds * 1e6)), true);
            return 0;
        },
        fd_write(fd, iovs, count, writtenAt) {
            let written = 0;
            for (let i = 0; i < count; i++) {
                const start = view().getUint32(iovs + 8 * i, true);
                const length = view().getUint32(iovs + 8 * i + 4, true);
                writeError(new Uint8Array(memory().buffer, start, length));
                written += length;
            }
            view().setUint32(writtenAt, written, true);
            return 0;
        },
        fd_close: () => ERRNO_BADF,
        fd_seek: () => ERRNO_BADF,
        environ_sizes_get(countAt, sizeAt) {
            view().setUint32(countAt, 0, true);
            view().setUint32(sizeAt, 0, true);
            return 0;
        },
        environ_get: () => 0,
        proc_exit(status) {
            throw new ModuleStopped(`Gorvandel stopped (status ${status})`);
        },
    };
}

// One instance of the module; output(text) takes what it says on standard
// output, error(text) what it says on standard error.
export class Gorvandel {
    // localOffset(seconds) gives the minutes east of UTC there; the page's own time zone by default.
    // source: the module's bytes, or the fetch of them (compiled as it arrives; served as application/wasm).
    static async load(source, {output, error = () => {}, localOffset = (seconds) =>
        -new Date(seconds * 1000).getTimezoneOffset()}) {
        const outputText = new TextDecoder();
        const errorText = new TextDecoder();
        let exports;
        const memory = () => exports.memory;
        const page = {
            write_output(at, size, toError) {
                const bytes = new Uint8Array(memory().buffer, at, size);
                if (toError) {
                    error(errorText.decode(bytes, {stream: true}));
                } else {
                    output(outputText.decode(bytes, {stream: true}));
                }
            },
            local_offset: localOffset,
            out_of_memory() {
                throw new ModuleStopped('Gorvandel ran out of memory');
            },
        };
        const imports = {page, wasi_snapshot_preview1: wasiImports(memory, (bytes) => page.write_output(
            bytes.byteOffset, bytes.length, 1))};
        const {instance} = source instanceof Promise || source instanceof Response
            ? await WebAssembly.instantiateStreaming(source, imports) : await WebAssembly.instantiate(source, imports);
        exports = instance.exports;
        exports._initialize();
        return new Gorvandel(exports);
    }

    constructor(exports) {
        this.exports = exports;
        this.historyLimit = exports.gorvandel_history_limit();
        this.weightLimit = exports.gorvandel_weight_limit();
    }

    // Puts text (a string, or bytes as they are) in the module's exchange buffer.
    put(text) {
        const bytes = typeof text === 'string' ? encoder.encode(text) : text;
        const at = this.exports.gorvandel_buffer(bytes.length);
        new Uint8Array(this.exports.memory.buffer, at, bytes.length).set(bytes);
    }

    // The text the module left in its exchange buffer.
    take(size) {
        const at = this.exports.gorvandel_buffer(size);
        return new TextDecoder().decode(new Uint8Array(this.exports.memory.buffer, at, size));
    }

    // Starts a session from a memory text (null for none): null, or the
    // module's refusal as "LINE: PROBLEM".
    start(seed, memoryText) {
        if (memoryText !== null) {
            this.put(memoryText);
        }
        const refusal = this.exports.gorvandel_start(seed >>> 0, memoryText === null ? 0 : 1);
        return refusal === 0 ? null : this.take(refusal);
    }

    // What to say of the memory the session started from: a line
    // "LINE: WHAT" for each line of it naming no action this version knows.
    notices() {
        return this.take(this.exports.gorvandel_notices()).split('\n').filter((line) => line !== '');
    }

    // Whether the program takes a memory text: null, or its refusal as "LINE: PROBLEM".
    checkMemory(text) {
        this.put(text);
        const refusal = this.exports.gorvandel_check_memory();
        return refusal === 0 ? null : this.take(refusal);
    }

    // Runs one line: whether the session goes on, and whether what was learned changed.
    run(line) {
        this.put(line);
        const result = this.exports.gorvandel_run();
        return {goesOn: (result & 1) !== 0, changed: (result & 2) !== 0};
    }

    // Ends the session as the end of input does.
    end() {
        this.exports.gorvandel_end();
    }

    // Tab at beforeCursor: {insert}, {choices} or null.
    complete(beforeCursor, width) {
        this.put(beforeCursor);
        const text = this.take(this.exports.gorvandel_complete(width));
        if (text.startsWith('+')) {
            return {insert: text.slice(1)};
        }
        return text.startsWith('?') ? {choices: text.slice(1)} : null;
    }

    memory() {
        return this.take(this.exports.gorvandel_memory());
    }

    // Both tables: each action's text, weight and chance, and the favourite.
    learning() {
        return [0, 1].map((kind) => {
            const actions = [];
            for (let i = 0; i < this.exports.gorvandel_action_count(kind); i++) {
                actions.push({
                    text: this.take(this.exports.gorvandel_describe(kind, i)),
                    weight: this.exports.gorvandel_weight(kind, i),
                    chance: this.exports.gorvandel_chance(kind, i),
                });
            }
            return {actions, favourite: this.exports.gorvandel_favourite(kind)};
        });
    }

    columns(codePoint) {
        return this.exports.gorvandel_columns(codePoint);
    }
}
