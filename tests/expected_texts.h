#pragma once

// Reads expected_texts.txt, where the tests keep what the program writes.

#include <fstream>
#include <string>
#include <vector>

// Every text of one name, in the file's order; none when the file is missing.
inline std::vector<std::string> expectedTexts(const std::string& name)
{
    std::ifstream file(GORVANDEL_EXPECTED_TEXTS);
    std::vector<std::string> texts;
    const std::string start = name + " \"";
    for (std::string line; std::getline(file, line);) {
        if (line.compare(0, start.size(), start) == 0) {
            texts.push_back(line.substr(start.size(), line.rfind('"') - start.size()));
        }
    }
    return texts;
}

// An argument action's text with the argument in place of its %s.
inline std::string withArgument(std::string text, const std::string& argument)
{
    return text.replace(text.find("%s"), 2, argument);
}
