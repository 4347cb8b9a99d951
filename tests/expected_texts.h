#pragma once

// Reads expected_texts.txt, where the tests keep what the program writes.

#include <fstream>
#include <string>
#include <vector>

// Each text of the names given (split by spaces), in file order; none without the file. "plain described": table order.
inline std::vector<std::string> expectedTexts(const std::string& names)
{
    std::ifstream file(GORVANDEL_EXPECTED_TEXTS);
    std::vector<std::string> texts;
    for (std::string line; std::getline(file, line);) {
        const std::size_t quote = line.find(" \"");
        if (quote < line.size() && (" " + names + " ").find(" " + line.substr(0, quote) + " ") != std::string::npos) {
            texts.push_back(line.substr(quote + 2, line.rfind('"') - quote - 2));
        }
    }
    return texts;
}

// An argument action's text with the argument in place of its %s.
inline std::string withArgument(std::string text, const std::string& argument)
{
    return text.replace(text.find("%s"), 2, argument);
}
