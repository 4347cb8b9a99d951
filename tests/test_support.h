#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// Sends everything written to std::cout into a string while it lives.
class CapturedOutput {
public:
    CapturedOutput() : saved(std::cout.rdbuf(buffer.rdbuf())) {}
    ~CapturedOutput() { std::cout.rdbuf(saved); }
    std::string text() const { return buffer.str(); }

private:
    std::ostringstream buffer;
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
