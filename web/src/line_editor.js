// The line editor at the page's prompt, with the keys of a Linux terminal.
// It keeps the line as a list of characters and draws it again after each
// change from the first column after the prompt, so that wide characters
// and a line that wraps stay where the terminal puts them.

const ESC = '\x1b';

// A key as the terminal sends it: an escape sequence (CSI, SS3, Esc and a
// character, or rxvt's Esc Esc CSI), or one character.
const KEY = /\x1b(?:\x1b?\[[0-?]*[ -/]*[@-~]|O.|[^\x1b[O]|\[|O)?|[^]/uy;

const ACTIONS = {
    '\x1b[D': 'left', '\x1bOD': 'left', '\x02': 'left',
    '\x1b[C': 'right', '\x1bOC': 'right', '\x06': 'right',
    '\x1b[H': 'home', '\x1bOH': 'home', '\x1b[1~': 'home', '\x1b[7~': 'home', '\x01': 'home',
    '\x1b[F': 'end', '\x1bOF': 'end', '\x1b[4~': 'end', '\x1b[8~': 'end', '\x05': 'end',
    '\x1b[1;5D': 'wordLeft', '\x1b[1;3D': 'wordLeft', '\x1bb': 'wordLeft', '\x1b\x1b[D': 'wordLeft',
    '\x1b[1;5C': 'wordRight', '\x1b[1;3C': 'wordRight', '\x1bf': 'wordRight', '\x1b\x1b[C': 'wordRight',
    '\x7f': 'backspace', '\x08': 'backspace', '\x1b[3~': 'delete',
    '\x15': 'killToStart', '\x17': 'killWord',
    '\x1b[A': 'up', '\x1bOA': 'up', '\x10': 'up', '\x1b[B': 'down', '\x1bOB': 'down', '\x0e': 'down',
    '\t': 'completeAtCursor', '\r': 'enter', '\n': 'enter', '\x04': 'endOfInput',
};

// Splits what the terminal sent (typed or pasted) into keys.
export function keysOf(data) {
    const keys = [];
    KEY.lastIndex = 0;
    while (KEY.lastIndex < data.length) {
        keys.push(KEY.exec(data)[0]);
    }
    return keys;
}

// Whether a key is a character that types itself: not a control
// character, nor part of an escape sequence.
function typesItself(key) {
    const code = key.codePointAt(0);
    return !(code < 0x20 || (code >= 0x7f && code < 0xa0));
}

const isWordCharacter = (character) => /[\p{L}\p{N}]/u.test(character);

export class LineEditor {
    // terminal: write(text) and cols; columns(code point) gives a character's
    // width; complete(beforeCursor) gives {insert} or {choices} or null;
    // history: the lines entered before, oldest first (shared, kept by the caller).
    constructor({terminal, columns, complete, history, onLine, onEndOfInput}) {
        Object.assign(this, {terminal, columns, complete, history, onLine, onEndOfInput});
        this.active = false;
    }

    // Starts a line after prompt, which the terminal shows already.
    begin(prompt) {
        Object.assign(this, {prompt, chars: [], cursor: 0, row: 0, active: true, browsing: this.history.length,
            draft: []});
    }

    get line() {
        return this.chars.join('');
    }

    // Takes what the terminal sent; while no line is being edited, nothing types.
    receive(data) {
        for (const key of keysOf(data)) {
            if (!this.active) {
                return;
            }
            const action = ACTIONS[key];
            if (action) {
                this[action]();
            } else if (typesItself(key)) {
                this.insert([key]);
            }
        }
    }

    insert(characters) {
        this.chars.splice(this.cursor, 0, ...characters);
        this.cursor += characters.length;
        this.draw();
    }

    moveTo(cursor) {
        this.cursor = Math.max(0, Math.min(this.chars.length, cursor));
        this.draw();
    }

    cut(from, to) {
        if (from < to) {
            this.chars.splice(from, to - from);
            this.cursor = from;
            this.draw();
        }
    }

    left() { this.moveTo(this.cursor - 1); }
    right() { this.moveTo(this.cursor + 1); }
    home() { this.moveTo(0); }
    end() { this.moveTo(this.chars.length); }
    backspace() { this.cut(Math.max(0, this.cursor - 1), this.cursor); }
    delete() { this.cut(this.cursor, Math.min(this.chars.length, this.cursor + 1)); }
    killToStart() { this.cut(0, this.cursor); }

    // Back over blanks, then over the word before them.
    killWord() {
        let at = this.cursor;
        while (at > 0 && /\s/u.test(this.chars[at - 1])) at--;
        while (at > 0 && !/\s/u.test(this.chars[at - 1])) at--;
        this.cut(at, this.cursor);
    }

    wordLeft() {
        let at = this.cursor;
        while (at > 0 && !isWordCharacter(this.chars[at - 1])) at--;
        while (at > 0 && isWordCharacter(this.chars[at - 1])) at--;
        this.moveTo(at);
    }

    wordRight() {
        let at = this.cursor;
        while (at < this.chars.length && !isWordCharacter(this.chars[at])) at++;
        while (at < this.chars.length && isWordCharacter(this.chars[at])) at++;
        this.moveTo(at);
    }

    // Through the history; the line being typed waits below the newest.
    up() { this.browse(this.browsing - 1); }
    down() { this.browse(this.browsing + 1); }

    browse(to) {
        if (to < 0 || to > this.history.length) {
            return;
        }
        if (this.browsing === this.history.length) {
            this.draft = this.chars;
        }
        this.browsing = to;
        this.chars = to === this.history.length ? this.draft : [...this.history[to]];
        this.moveTo(this.chars.length);
    }

    completeAtCursor() {
        const found = this.complete(this.chars.slice(0, this.cursor).join(''));
        if (found && found.insert) {
            this.insert([...found.insert]);
        } else if (found && found.choices) {
            this.leaveLine();
            this.terminal.write('\r\n' + found.choices + this.prompt);
            this.row = 0;
            this.draw();
        }
    }

    enter() {
        const line = this.line;
        this.leaveLine();
        this.terminal.write('\r\n');
        this.onLine(line);
    }

    // Ctrl-D: on an empty line the end of input, as at a terminal; else Delete.
    endOfInput() {
        if (this.chars.length > 0) {
            this.delete();
            return;
        }
        this.active = false;
        this.onEndOfInput();
    }

    // The cursor after the line's end, and no more editing.
    leaveLine() {
        this.cursor = this.chars.length;
        this.draw();
        this.active = false;
    }

    // Where each character starts and where the line ends, in rows below the
    // prompt's and columns: a wide character that does not fit goes whole to
    // the next row, as the terminal puts it.
    layout() {
        const width = this.terminal.cols;
        let row = 0;
        let column = this.promptColumns() % width;
        const starts = [];
        for (const character of this.chars) {
            const columns = this.columns(character.codePointAt(0));
            if (column + columns > width) {
                row++;
                column = 0;
            }
            starts.push({row, column});
            column += columns;
        }
        const atEdge = column >= width && this.chars.length > 0;
        return {starts, end: atEdge ? {row: row + 1, column: 0} : {row, column}, atEdge};
    }

    promptColumns() {
        return [...this.prompt].reduce((sum, character) => sum + this.columns(character.codePointAt(0)), 0);
    }

    // Draws the line again from its start and puts the cursor in place.
    draw() {
        const {starts, end, atEdge} = this.layout();
        const start = this.promptColumns() % this.terminal.cols;
        let text = (this.row > 0 ? `${ESC}[${this.row}A` : '') + '\r' + (start > 0 ? `${ESC}[${start}C` : '');
        text += `${ESC}[J` + this.line + (atEdge ? '\r\n' : '');
        const target = this.cursor < starts.length ? starts[this.cursor] : end;
        text += (end.row > target.row ? `${ESC}[${end.row - target.row}A` : '') + '\r' +
            (target.column > 0 ? `${ESC}[${target.column}C` : '');
        this.row = target.row;
        this.terminal.write(text);
    }
}
