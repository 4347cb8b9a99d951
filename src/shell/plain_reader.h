#pragma once

// The plain reader: command lines from standard input as they were sent,
// where no line editor reads them (a pipe, a file, the Windows console).

#include "line_reader.h"

#include <cstddef>
#include <functional>
#include <system_error>

namespace gorvandel {

// Reads at most size bytes into buffer: how many, 0 at the end of input, -1
// with the system's reason in error (as readStandardInput does).
using InputSource = std::function<std::ptrdiff_t(char* buffer, std::size_t size, std::error_code& error)>;

// Each read shows the prompt, flushed, then gives one line without its
// newline and without one carriage return before that newline; a last line
// without a newline still counts, as it came. Nothing is read after the end
// of input; running out of memory is not caught.
//
// Windows tools put a byte-order mark first: a UTF-8 one at the very start
// of the input is read past, and input that starts with a UTF-16 one (what
// PowerShell's ">" writes) is read as UTF-16 and handed on as UTF-8, an
// unpaired surrogate or an odd last byte as U+FFFD. Every other byte is
// handed on as it came.
LineReader plainReader(InputSource source);

}  // namespace gorvandel
