#pragma once

#include "expected_texts.h"
#include "standard_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Takes what the program writes to standard output while it lives, through its own buffer: only a flush sends it on.
class CapturedOutput {
public:
    CapturedOutput()
    {
        gorvandel::sendOutputTo([this](std::string_view bytes) {
            sent += failure ? "" : bytes;
            return failure;
        });
    }
    ~CapturedOutput() { gorvandel::sendOutputTo({}); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::string text() const { return sent + std::string(gorvandel::outputWaiting()); }
    // What a reader at the other end of a pipe has seen: all up to the last flush.
    std::string delivered() const { return sent; }

    // Set, every later write fails with it, as a full disk or a closed pipe fails.
    std::error_code failure;

private:
    std::string sent;
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

// A new empty folder, removed with everything in it when the test ends.
class TemporaryFolder {
public:
    TemporaryFolder()
        : path(std::filesystem::temp_directory_path() / ("gorvandel-test-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(path);
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // A path in the folder, as the program's functions take it.
    std::string operator/(const std::string& name) const { return (path / name).string(); }

    const std::filesystem::path path;
};

// 1.3.0's memory line for a table: its weights by position, the first one given.
inline std::string positional(const std::string& table, std::size_t count, const std::string& first = "0")
{
    std::string line = table + " " + first;
    for (std::size_t i = 1; i < count; ++i) {
        line += " 0";
    }
    return line + "\n";
}

// Text as UTF-16 after its byte-order mark, as Notepad's "Unicode" and PowerShell's ">" write it.
inline std::string utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

inline void write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// The names in a folder, sorted.
inline std::vector<std::string> namesOf(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string contentsOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}
