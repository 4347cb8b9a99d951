#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// Sends everything written to std::cout into a string while it lives.
class CapturedOutput {
public:
    CapturedOutput()
        : saved(std::cout.rdbuf(buffer.rdbuf()))
    {
    }
    ~CapturedOutput() { std::cout.rdbuf(saved); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::string text() const { return buffer.str(); }

private:
    std::ostringstream buffer;
    std::streambuf* saved;
};

// Hands out a fixed list of draws and counts how many were taken.
class ScriptedDraws {
public:
    explicit ScriptedDraws(std::vector<int> script)
        : script(std::move(script))
    {
    }

    int operator()()
    {
        if (taken >= script.size()) {
            ADD_FAILURE() << "more draws taken than scripted (" << script.size() << ")";
            return 0;
        }
        return script[taken++];
    }

    std::size_t count() const { return taken; }

private:
    std::vector<int> script;
    std::size_t taken = 0;
};
