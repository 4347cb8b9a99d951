#pragma once

// libedit, loaded only when a terminal is to edit lines: a run in a pipe,
// or for --version, never pays for loading and relocating it and the
// libraries it needs. The program calls libedit only through this table,
// and needs libedit's header, not the library, to be built.

#include "outcome.h"

#include <histedit.h>

namespace gorvandel {

struct LibeditFunctions {
    decltype(::el_init)* el_init;
    decltype(::el_end)* el_end;
    decltype(::el_set)* el_set;
    decltype(::el_wset)* el_wset;
    decltype(::el_get)* el_get;
    decltype(::el_gets)* el_gets;
    decltype(::el_getc)* el_getc;
    decltype(::el_line)* el_line;
    decltype(::el_insertstr)* el_insertstr;
    decltype(::el_cursor)* el_cursor;
    decltype(::el_deletestr)* el_deletestr;
    decltype(::el_source)* el_source;
    decltype(::el_resize)* el_resize;
    decltype(::history_init)* history_init;
    decltype(::history_end)* history_end;
    decltype(::history)* history;
};

// Loads libedit by its run-time name (libedit.so.2 on Debian) and takes
// its entry points, once; a failure "no line editing: " and the loader's
// reason.
Outcome loadLibedit();

// The entry points, once loadLibedit has succeeded.
const LibeditFunctions& libedit();

}  // namespace gorvandel
