#include "shown_text.h"
#include "test_support.h"

#include <clocale>

namespace {

using gorvandel::shownSafely;

// Read as UTF-8, as on Windows always and on POSIX in a UTF-8 locale.
TEST(ShownText, WhatWouldActOnTheTerminalOrHideTextIsOneQuestionMarkEach)
{
#ifndef _WIN32
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
#endif
    // The neighbours of each hidden range stay, as do wide characters and those past U+FFFF.
    const std::string legible = u8"caf\u00E9 \u65E5\u672C \U0001F600 \u061B\u061D\u200A\u2010\u2029\u202F\u205F\u2061"
                                u8"\u2065\u206A\uFEFE ~\u00A0";
    EXPECT_EQ(shownSafely(legible), legible);
    for (const char* hidden : {u8"\u061C", u8"\u200B", u8"\u200C", u8"\u200D", u8"\u200E", u8"\u200F", u8"\u202A",
                               u8"\u202E", u8"\u2060", u8"\u2066", u8"\u2069", u8"\uFEFF"}) {
        EXPECT_EQ(shownSafely(std::string("a") + hidden + "b"), "a?b");
    }
    // C0, DEL, C1 as UTF-8 and raw; then bytes that start no character: a
    // character cut short, an overlong slash, a surrogate, past U+10FFFF.
    EXPECT_EQ(shownSafely("\x1B[2J\t\x7F\xC2\x80\xC2\x9F\x9B|\xE6\x97x|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80"),
              "?[2J?????|??x|??|???|????");
    EXPECT_EQ(shownSafely("del\x7F") + shownSafely(std::string("nul\0", 4)), "del?nul?");
}

}  // namespace
