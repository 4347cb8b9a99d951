#pragma once

// What Tab completes at the prompt: the command words at the start of the
// line, and after "do something with " the names of the files in the
// current folder (but for those with a newline, which no line can hold).
// Lines are matched exactly, so a completion never adds a blank or a quote
// that the line does not need.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace gorvandel {

struct Completion {
    // Text to insert at the cursor: what every candidate has in common beyond
    // what is typed, by the locale's characters, up to a control character or
    // bytes that are no character, which are never inserted.
    std::string insertion;
    // When nothing can be inserted but there are several candidates: all of them, sorted.
    std::vector<std::string> choices;
};

// Completes the text before the cursor; names are the current folder's
// file names, asked for only after "do something with ". Hidden names are
// offered once their leading dot is typed.
Completion complete(std::string_view beforeCursor, const std::function<std::vector<std::string>()>& folderNames);

// The choices laid out in columns across a screen of the given width, each
// shown safely (shown_text.h) in the character set the line editor took up.
std::string choicesInColumns(const std::vector<std::string>& choices, std::size_t width);

}  // namespace gorvandel
