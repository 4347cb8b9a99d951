#pragma once

// Reads expected_texts.txt, where the tests keep what the program writes.

#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

// Every text of the given names, in the file's order; none when the file is missing.
inline std::vector<std::string> expectedTexts(std::initializer_list<std::string> names)
{
    std::ifstream file(GORVANDEL_EXPECTED_TEXTS);
    std::vector<std::string> texts;
    for (std::string line; std::getline(file, line);) {
        for (const std::string& name : names) {
            if (line.compare(0, name.size() + 2, name + " \"") == 0) {
                texts.push_back(line.substr(name.size() + 2, line.rfind('"') - name.size() - 2));
            }
        }
    }
    return texts;
}

inline std::vector<std::string> expectedTexts(const std::string& name)
{
    return expectedTexts({name});
}

// Every plain action in table order, as a person knows it: its line, or what it writes.
inline std::vector<std::string> plainActionTexts()
{
    return expectedTexts({"plain", "described"});
}

// An argument action's text with the argument in place of its %s.
inline std::string withArgument(std::string text, const std::string& argument)
{
    return text.replace(text.find("%s"), 2, argument);
}
