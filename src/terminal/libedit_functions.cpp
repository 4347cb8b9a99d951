#include "libedit_functions.h"

#include <dlfcn.h>
#include <string>

namespace gorvandel {

namespace {

LibeditFunctions functions{};
bool loaded = false;

Outcome loaderFailure()
{
    const char* reason = ::dlerror();
    return {"no line editing: " + std::string(reason != nullptr ? reason : "cannot load " GORVANDEL_LIBEDIT)};
}

// Takes one entry point; found stays true only while every one is there.
template <typename Function> void take(void* library, const char* name, Function& entry, bool& found)
{
    entry = reinterpret_cast<Function>(::dlsym(library, name));
    found = found && entry != nullptr;
}

bool takeEntryPoints(void* library)
{
    bool found = true;
    take(library, "el_init", functions.el_init, found);
    take(library, "el_end", functions.el_end, found);
    take(library, "el_set", functions.el_set, found);
    take(library, "el_wset", functions.el_wset, found);
    take(library, "el_get", functions.el_get, found);
    take(library, "el_gets", functions.el_gets, found);
    take(library, "el_getc", functions.el_getc, found);
    take(library, "el_line", functions.el_line, found);
    take(library, "el_insertstr", functions.el_insertstr, found);
    take(library, "el_cursor", functions.el_cursor, found);
    take(library, "el_deletestr", functions.el_deletestr, found);
    take(library, "el_source", functions.el_source, found);
    take(library, "el_resize", functions.el_resize, found);
    take(library, "history_init", functions.history_init, found);
    take(library, "history_end", functions.history_end, found);
    take(library, "history", functions.history, found);
    return found;
}

}  // namespace

Outcome loadLibedit()
{
    if (loaded) {
        return {};
    }
    // Never the libedit.so of the development package: the library the
    // program was built against, by the name it has at run time.
    void* library = ::dlopen(GORVANDEL_LIBEDIT, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return loaderFailure();
    }
    if (!takeEntryPoints(library)) {
        Outcome failed = loaderFailure();
        ::dlclose(library);
        return failed;
    }
    loaded = true;
    return {};
}

const LibeditFunctions& libedit()
{
    return functions;
}

}  // namespace gorvandel
