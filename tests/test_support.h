#pragma once

#include "expected_texts.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// Sends everything written to std::cout into a string while it lives, and
// counts the flushes.
class CapturedOutput {
public:
    CapturedOutput()
        : saved(std::cout.rdbuf(&buffer))
    {
    }
    ~CapturedOutput() { std::cout.rdbuf(saved); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::string text() const { return buffer.str(); }
    int flushes() const { return buffer.syncs; }

private:
    struct CountingBuffer : std::stringbuf {
        int syncs = 0;
        int sync() override
        {
            ++syncs;
            return 0;
        }
    };
    CountingBuffer buffer;
    std::streambuf* saved;
};

// Hands out a fixed list of draws and counts how many were taken.
struct ScriptedDraws {
    std::vector<int> script;
    std::size_t taken = 0;

    int operator()()
    {
        EXPECT_LT(taken, script.size()) << "more draws taken than scripted";
        return taken < script.size() ? script[taken++] : 0;
    }
};
