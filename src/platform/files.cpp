#include "files.h"

#include "leftovers.h"

#include <algorithm>
#include <iterator>
#include <thread>
#include <utility>

namespace gorvandel {

namespace {

class FileRefusalCategory : public std::error_category {
public:
    std::string message(int refusal) const override;
    const char* name() const noexcept override { return "gorvandel file"; }
};

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
        "it belongs to another user",
        "it is a mount point, which a save cannot replace; keep the memory in a mounted folder instead",
        "another program has it open",
    };
    const auto index = static_cast<std::size_t>(refusal) - 1;
    return index < std::size(reasons) ? reasons[index] : "refused";
}

// The program's own leftovers beside file, newest first: with isWhole, of
// either form holding a whole file, or of today's form nothing (a save
// stopped before it wrote); without, of today's form.
std::vector<Leftover> ownLeftovers(const FilePlace& file, const IsWhole& isWhole)
{
    std::vector<Leftover> found = leftoversBeside(file);
    std::sort(found.begin(), found.end(), [](const Leftover& a, const Leftover& b) { return a.modified > b.modified; });
    const auto foreign = [&isWhole](Leftover& leftover) {
        if (!isWhole) {
            return leftover.form != TemporaryForm::Current;
        }
        return readFile(leftover.place, LEFTOVER_LIMIT, leftover.bytes) ||
               !(isWhole(leftover.bytes) || (leftover.bytes.empty() && leftover.form == TemporaryForm::Current));
    };
    found.erase(std::remove_if(found.begin(), found.end(), foreign), found.end());
    return found;
}

// The newest of leftovers that may stand for the file: with isWhole, not an empty one.
std::vector<Leftover>::iterator newestTakeable(std::vector<Leftover>& leftovers, const IsWhole& isWhole)
{
    return std::find_if(leftovers.begin(), leftovers.end(),
                        [&isWhole](const Leftover& leftover) { return !isWhole || !leftover.bytes.empty(); });
}

}  // namespace

std::error_code make_error_code(FileRefusal refusal)
{
    static const FileRefusalCategory category;
    return {static_cast<int>(refusal), category};
}

FileLock& FileLock::operator=(FileLock&& other) noexcept(true)
{
    release();
    handle = std::exchange(other.handle, -1);
    made = other.made;
    place = std::move(other.place);
    return *this;
}

FilePlace lockPlace(const FilePlace& file)
{
    return placeBeside(file, file.name.substr(file.name.find_last_of(PATH_SEPARATORS) + 1) + ".lock");
}

std::error_code retrying(std::chrono::milliseconds patience, FileRefusal busy,
                         const std::function<std::error_code()>& step)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const std::error_code error = step();
        if (error != busy || std::chrono::steady_clock::now() >= deadline) {
            return error;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::error_code FileLock::take(const FilePlace& file, std::chrono::milliseconds patience, FileLock& lock)
{
    if (const std::error_code refused = checkKeepable(file)) {
        return refused;
    }
    FileLock opened;
    opened.place = lockPlace(file);
    std::error_code error = opened.open(file);
    if (!error) {
        error = retrying(patience, FileRefusal::InUse, [&opened] { return opened.tryLock(); });
    }
    if (!error) {
        lock = std::move(opened);
    }
    return error;
}

std::error_code recoverLeftovers(const FilePlace& file, const IsWhole& isWhole, std::string& taken)
{
    const FileState state = stateOf(file);
    if (state == FileState::Other) {
        return {};  // judged elsewhere
    }
    std::vector<Leftover> own = ownLeftovers(file, isWhole);
    const auto newest = newestTakeable(own, isWhole);
    if (state == FileState::Missing) {
        if (newest == own.end()) {
            return {};  // nothing whole: what is there stays
        }
        if (const std::error_code error = moveOver(newest->place, file)) {
            return error;
        }
        taken = newest->place.path;
        own.erase(newest);
    }
    // A whole file stands: the program's own files beside it are older, or torn.
    for (const Leftover& leftover : own) {
        removeFile(leftover.place);
    }
    return {};
}

bool newestLeftover(const FilePlace& file, const IsWhole& isWhole, std::string& path, std::string& bytes)
{
    if (stateOf(file) != FileState::Missing) {
        return false;
    }
    std::vector<Leftover> own = ownLeftovers(file, isWhole);
    const auto newest = newestTakeable(own, isWhole);
    if (newest == own.end()) {
        return false;
    }
    path = newest->place.path;
    bytes = std::move(newest->bytes);
    return true;
}

}  // namespace gorvandel
