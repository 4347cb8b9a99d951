// A tool of the build, not of the program: writes the completion scripts of
// bash, zsh and fish from the option table, so that a new option reaches
// them with nothing written twice. Usage: completion_scripts FOLDER

#include "options.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

using gorvandel::CommandLineOption;
using gorvandel::commandLineOptions;

bool takesFile(const CommandLineOption& option)
{
    return option.argument == "FILE";
}

// --help and --version end the program where they stand: nothing goes with them.
bool standsAlone(const CommandLineOption& option)
{
    gorvandel::Options probe;
    option.apply("0", probe);
    return probe.request != gorvandel::Request::Run;
}

// What an option does, in a few words: its help up to the first colon.
std::string summary(const CommandLineOption& option)
{
    std::string text(option.help.substr(0, option.help.find(':')));
    for (char& c : text) {
        c = c == '\n' ? ' ' : c;
    }
    return text;
}

std::string shortWord(const CommandLineOption& option)
{
    return option.shortName != '\0' ? std::string("-") + option.shortName : "";
}

// The spellings bash must take for an option before its value: its short
// name and each shortening of its long name that names it alone.
std::string bashSpellings(const CommandLineOption& option)
{
    std::string spellings = shortWord(option);
    for (std::size_t length = 1; length <= option.longName.size(); ++length) {
        const std::string_view start = option.longName.substr(0, length);
        std::size_t matches = 0;
        for (const CommandLineOption& other : commandLineOptions()) {
            matches += other.longName.compare(0, length, start) == 0 ? 1u : 0u;
        }
        if (matches == 1) {
            spellings += (spellings.empty() ? "--" : " | --") + std::string(start);
        }
    }
    return spellings;
}

std::string bashScript()
{
    std::string cases, words, shortWords;
    for (const CommandLineOption& option : commandLineOptions()) {
        if (option.takesValue()) {
            cases += "    " + bashSpellings(option) + ")\n" + (takesFile(option) ? "        _filedir\n" : "") +
                     "        return\n        ;;\n";
        }
        words += " --" + std::string(option.longName);
        shortWords += option.shortName != '\0' ? " " + shortWord(option) : "";
    }
    return "# bash completion for gorvandel, written by the build from its option table.\n"
           "# Installed as share/bash-completion/completions/gorvandel.\n\n"
           "_gorvandel()\n{\n    local cur prev words cword split\n    _init_completion -s || return\n\n"
           "    # The program takes no operands: after \"--\" nothing is valid.\n    local word\n"
           "    for word in \"${words[@]:1:cword-1}\"; do\n        [[ $word == -- ]] && return\n    done\n"
           "    # Long options may be shortened while they stay unambiguous; a value\n"
           "    # other than a file has nothing to offer.\n    case $prev in\n" +
           cases + "    esac\n    $split && return\n    COMPREPLY=($(compgen -W '" + words.substr(1) + shortWords +
           "' -- \"$cur\"))\n} &&\n    complete -F _gorvandel gorvandel\n";
}

std::string zshLine(const CommandLineOption& option)
{
    const std::string longWord = "--" + std::string(option.longName), value = option.takesValue() ? "=" : "";
    std::string line = standsAlone(option)        ? "'(- :)'"
                       : option.shortName != '\0' ? "'(" + shortWord(option) + " " + longWord + ")'"
                                                  : "";
    line += option.shortName != '\0'
                ? "{" + shortWord(option) + (option.takesValue() ? "+," : ",") + longWord + value + "}'"
                : "'" + longWord + value;
    line += "[" + summary(option) + "]";
    if (option.takesValue()) {
        std::string message(option.argument);
        for (char& c : message) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        line += ":" + message + ":" + (takesFile(option) ? "_files" : " ");
    }
    return line + "'";
}

std::string zshScript()
{
    std::string script = "#compdef gorvandel\n# zsh completion for gorvandel, written by the build from its option\n"
                         "# table. -s: short options bundle; -S: \"--\" ends the options, and no operand\n"
                         "# follows.\n_arguments -s -S";
    for (const CommandLineOption& option : commandLineOptions()) {
        script += " \\\n  " + zshLine(option);
    }
    return script + "\n";
}

std::string fishScript()
{
    std::string script = "# fish completion for gorvandel, written by the build from its option table.\n"
                         "# The program takes no operands: no file names but after an option's file.\n"
                         "complete -c gorvandel -f\n";
    for (const CommandLineOption& option : commandLineOptions()) {
        std::string described = summary(option);
        described[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(described[0])));
        script += "complete -c gorvandel" +
                  (option.shortName != '\0' ? " -s " + std::string(1, option.shortName) : "") + " -l " +
                  std::string(option.longName) +
                  (takesFile(option)     ? " -r -F"
                   : option.takesValue() ? " -r -f"
                                         : "") +
                  " -d '" + described + "'\n";
    }
    return script;
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: completion_scripts FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const bool written = writeFile(folder + "/gorvandel.bash", bashScript()) &&
                         writeFile(folder + "/_gorvandel", zshScript()) &&
                         writeFile(folder + "/gorvandel.fish", fishScript());
    if (!written) {
        std::fputs("completion_scripts: cannot write the scripts\n", stderr);
    }
    return written ? 0 : 1;
}
