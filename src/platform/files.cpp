#include "files.h"

#include "leftovers.h"

#include <algorithm>
#include <utility>
#include <iterator>

namespace gorvandel {

namespace {

class FileRefusalCategory : public std::error_category {
public:
    std::string message(int refusal) const override;
    const char* name() const noexcept override;
};

const char* FileRefusalCategory::name() const noexcept(true)
{
    return "gorvandel file";
}

std::string FileRefusalCategory::message(int refusal) const
{
    // In the order of FileRefusal, from 1.
    static const char* const reasons[] = {
        "not a regular file",
        "the file is read-only",
        "the file has other names (hard links) that a save would part from it",
        "in use by another program",
        "it is a symbolic link, which is not followed",
        "a symbolic link on the way belongs to another user, and is not followed",
        "it is a symbolic link that leads to no file",
        "its lock file was removed or replaced, so another program may be using it",
        "the file belongs to another user",
        "the file is append-only or immutable",
        "its folder is append-only or immutable",
        "it names a device, not a file",
        "another program has it open",
    };
    const auto index = static_cast<std::size_t>(refusal) - 1;
    return index < std::size(reasons) ? reasons[index] : "refused";
}

// The leftovers that isWhole accepts, newest first.
std::vector<Leftover> wholeLeftovers(const FilePlace& file, const IsWhole& isWhole,
                                     std::vector<std::string>* contents = nullptr)
{
    std::vector<Leftover> found = leftoversBeside(file);
    std::sort(found.begin(), found.end(), [](const Leftover& a, const Leftover& b) { return a.modified > b.modified; });
    std::vector<Leftover> whole;
    for (Leftover& leftover : found) {
        std::string bytes;
        if (!readFile(leftover.place, 1 << 20, bytes) && isWhole(bytes)) {
            whole.push_back(std::move(leftover));
            if (contents != nullptr) {
                contents->push_back(std::move(bytes));
            }
        }
    }
    return whole;
}

}  // namespace

std::error_code make_error_code(FileRefusal refusal)
{
    static const FileRefusalCategory category;
    return {static_cast<int>(refusal), category};
}

FileLock::~FileLock()
{
    release();
}

FileLock::FileLock(FileLock&& other) noexcept(true)
    : handle(std::exchange(other.handle, -1)),
      made(other.made),
      place(std::move(other.place))
{
}

FileLock& FileLock::operator=(FileLock&& other) noexcept(true)
{
    release();
    handle = std::exchange(other.handle, -1);
    made = other.made;
    place = std::move(other.place);
    return *this;
}

std::string lastLines(const std::string& text, std::size_t lines, bool cut, bool& more)
{
    // A cut text may start inside a line, which is left out up to its newline.
    const std::size_t first = cut ? text.find('\n') : std::string::npos;
    const std::size_t begin = !cut ? 0 : first == std::string::npos ? text.size() : first + 1;
    // The newline that ends the last line starts no line of its own.
    std::size_t start = text.size() - (!text.empty() && text.back() == '\n' ? 1 : 0);
    for (std::size_t found = 0; found < lines; ++found) {
        const std::size_t newline = start <= begin ? std::string::npos : text.rfind('\n', start - 1);
        if (newline == std::string::npos) {
            more = cut;
            return text.substr(begin);
        }
        start = newline;
    }
    more = true;
    return text.substr(start + 1);
}

std::error_code recoverLeftovers(const FilePlace& file, const IsWhole& isWhole, std::string& taken)
{
    const FileState state = stateOf(file);
    if (state == FileState::Missing) {
        const std::vector<Leftover> whole = wholeLeftovers(file, isWhole);
        if (whole.empty()) {
            return {};  // a torn one may be all there is: it stays
        }
        if (const std::error_code error = moveOver(whole.front().place, file)) {
            return error;
        }
        taken = whole.front().place.path;
    } else if (state == FileState::Other) {
        return {};  // judged elsewhere
    }
    // A whole file stands: what is beside it is older, or torn.
    for (const Leftover& leftover : leftoversBeside(file)) {
        removeFile(leftover.place);
    }
    return {};
}

bool newestLeftover(const FilePlace& file, const IsWhole& isWhole, std::string& path, std::string& bytes)
{
    if (stateOf(file) != FileState::Missing) {
        return false;
    }
    std::vector<std::string> contents;
    const std::vector<Leftover> whole = wholeLeftovers(file, isWhole, &contents);
    if (whole.empty()) {
        return false;
    }
    path = whole.front().place.path;
    bytes = std::move(contents.front());
    return true;
}

}  // namespace gorvandel
