#include "command_loop.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using gorvandel::readCommand;

std::vector<std::string> readAll(const std::string& input)
{
    std::istringstream stream(input);
    std::vector<std::string> commands;
    std::string command;
    while (readCommand(stream, command)) {
        commands.push_back(command);
    }
    return commands;
}

TEST(ReadCommand, DropsOneCarriageReturnBeforeTheNewlineOnly)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(readAll("exit\r\n"), Lines{"exit"});
    EXPECT_EQ(readAll("a\r\r\n"), Lines{"a\r"});
    EXPECT_EQ(readAll("a\rb\n"), Lines{"a\rb"});
    EXPECT_EQ(readAll("\r\n\n"), (Lines{"", ""}));
    // Without a newline there is no line end to trim.
    EXPECT_EQ(readAll("exit\r"), Lines{"exit\r"});
}

TEST(ReadCommand, LastLineWithoutNewlineIsStillACommand)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(readAll("reward\nexit"), (Lines{"reward", "exit"}));
    EXPECT_EQ(readAll(""), Lines{});
    EXPECT_EQ(readAll("\n"), Lines{""});
}

}  // namespace
