#pragma once

// What the page's script gives the module: where output goes, the local
// time zone (the WebAssembly C library knows only UTC), and a way to say
// that memory ran out.

#include <cstddef>

extern "C" {

// Shows bytes of standard output (standard error when toError is 1).
__attribute__((import_module("page"), import_name("write_output"))) void pageWriteOutput(
    const char* bytes, std::size_t size, int toError);

// Minutes east of UTC of the page's time zone at that time (seconds since the epoch).
__attribute__((import_module("page"), import_name("local_offset"))) int pageLocalOffset(double seconds);

// Memory ran out: the page says so and ends the session; it does not return.
__attribute__((import_module("page"), import_name("out_of_memory"), noreturn)) void pageOutOfMemory();

}
