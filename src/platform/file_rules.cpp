#include "file_rules.h"

#include "files.h"

#include <algorithm>
#include <random>

namespace gorvandel {

namespace {

constexpr std::string_view MARK = ".tmp-";
// 1.2.0 ended its temporary names in up to this many digits.
constexpr std::size_t OLDER_DIGITS = 20;

bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Whether text is upperCase, its ASCII letters in either case.
bool sameLetters(std::string_view text, std::string_view upperCase)
{
    const auto same = [](char a, char b) { return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b; };
    return text.size() == upperCase.size() && std::equal(text.begin(), text.end(), upperCase.begin(), same);
}

}  // namespace

std::error_code judgeFile(const FileFacts& file, UserId me)
{
    if (file.mountPoint) {
        return FileRefusal::MountPoint;
    }
    if (file.owner != me && me != ROOT) {
        return FileRefusal::OtherUsersFile;
    }
    if (file.links > 1) {
        return FileRefusal::OtherNames;
    }
    if (!file.ownerMayWrite) {
        return FileRefusal::ReadOnly;
    }
    if (file.unchangeable) {
        return FileRefusal::Unchangeable;
    }
    return {};
}

bool namesDevice(std::string_view path)
{
    std::string_view name = path.substr(std::min(path.size(), path.find_last_of("/\\") + 1));
    // "CON.txt", "con", "CON. ", "CON .txt" and "CON:" all name the console.
    name = name.substr(0, name.find_first_of(".:"));
    name = name.substr(0, name.find_last_not_of(' ') + 1);
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (sameLetters(name, device)) {
            return true;
        }
    }
    // COM and LPT with a digit, or superscript one, two or three as UTF-8.
    const std::string_view start = name.substr(0, 3), number = name.substr(start.size());
    return (sameLetters(start, "COM") || sameLetters(start, "LPT")) &&
           ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
            number == "\xC2\xB2" || number == "\xC2\xB3");
}

std::string temporaryPrefix(const std::string& name, std::size_t longest)
{
    if (name.size() + MARK.size() + SUFFIX_LENGTH <= longest) {
        return name + std::string(MARK);
    }
    // Cut short, the name is followed by a digest of all of it, so that two
    // names cut alike never share their temporary files.
    std::uint64_t digest = 14695981039346656037ULL;
    for (const char byte : name) {
        digest = (digest ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    }
    std::string mark = "~";
    for (int place = 0; place < 13; ++place, digest /= SUFFIX_CHARACTERS.size()) {
        mark += SUFFIX_CHARACTERS[static_cast<unsigned>(digest % SUFFIX_CHARACTERS.size())];
    }
    const std::size_t room = MARK.size() + SUFFIX_LENGTH + mark.size();
    std::size_t keep = longest > room ? longest - room : 0;
    while (keep > 0 && continuesCharacter(name[keep])) {
        --keep;
    }
    return name.substr(0, keep) + mark + std::string(MARK);
}

namespace {

std::mt19937_64& suffixGenerator()
{
    static std::mt19937_64 generator{std::random_device()()};
    return generator;
}

}  // namespace

std::string temporarySuffix()
{
    std::uniform_int_distribution<std::size_t> pick(0, SUFFIX_CHARACTERS.size() - 1);
    std::string suffix;
    for (std::size_t i = 0; i < SUFFIX_LENGTH; ++i) {
        suffix += SUFFIX_CHARACTERS[pick(suffixGenerator())];
    }
    return suffix;
}

void restartTemporarySuffixes(std::uint64_t seed)
{
    suffixGenerator().seed(seed);
}

TemporaryForm temporaryForm(std::string_view name, std::string_view prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return TemporaryForm::None;
    }
    const std::string_view suffix = name.substr(prefix.size());
    if (suffix.size() == SUFFIX_LENGTH && suffix.find_first_not_of(SUFFIX_CHARACTERS) == std::string_view::npos) {
        return TemporaryForm::Current;
    }
    return suffix.size() <= OLDER_DIGITS && suffix.find_first_not_of("0123456789") == std::string_view::npos
               ? TemporaryForm::Older
               : TemporaryForm::None;
}

}  // namespace gorvandel
