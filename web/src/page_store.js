// What the page keeps in localStorage: the memory text (the memory file's
// format, as the module writes it), the lines typed, and any stored memory
// the module refused, set aside under a key of its own and never written over.

const MEMORY = 'gorvandel.memory';
const HISTORY = 'gorvandel.history';
const SET_ASIDE = 'gorvandel.memory.refused.';

// localStorage, or null where the browser keeps none (or refuses it).
function storage() {
    try {
        return window.localStorage;
    } catch {
        return null;
    }
}

// Writes, or says why not: a full store or one the browser refuses.
function keep(key, value) {
    try {
        const kept = storage();
        if (!kept) {
            return 'this browser keeps nothing for this page';
        }
        kept.setItem(key, value);
        return null;
    } catch (error) {
        return error.message;
    }
}

export const memoryText = () => storage()?.getItem(MEMORY) ?? null;
export const keepMemory = (text) => keep(MEMORY, text);

// Moves the stored memory to a key of its own; gives that key.
export function setMemoryAside(text) {
    const key = SET_ASIDE + new Date().toISOString();
    const problem = keep(key, text);
    if (problem === null) {
        storage().removeItem(MEMORY);
    }
    return problem === null ? key : null;
}

export function history() {
    try {
        const lines = JSON.parse(storage()?.getItem(HISTORY) ?? '[]');
        return Array.isArray(lines) ? lines.filter((line) => typeof line === 'string') : [];
    } catch {
        return [];
    }
}

// Adds a line to history unless it is empty or repeats the last; keeps the last limit lines.
export function addToHistory(lines, line, limit) {
    if (line === '' || lines[lines.length - 1] === line) {
        return;
    }
    lines.push(line);
    lines.splice(0, Math.max(0, lines.length - limit));
    keep(HISTORY, JSON.stringify(lines));
}
