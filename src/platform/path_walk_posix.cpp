// Finding a file on POSIX systems (rule 1 of files.h): name by name from a
// folder held open, each link taken by the program, so what it checked is what it uses.

#include "file_rules.h"
#include "files.h"
#include "posix_files.h"

#include <climits>
#include <string>

#include <sys/stat.h>

namespace gorvandel {

std::size_t longestName(const FilePlace& place)
{
    const long longest = ::fpathconf(folderOf(place), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 255;
}

UserId ownerOfSaves(const FilePlace& file)
{
    struct stat status {};
    if (::fstatat(folderOf(file), file.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)) {
        return status.st_uid;
    }
    struct stat folder {};
    return ownerOfNewFile(::geteuid(), ::fstat(folderOf(file), &folder) == 0 ? folder.st_uid : ::geteuid());
}

void giveToFolderOwner(int folder, int fd)
{
    struct stat where {};
    if (::fstat(folder, &where) != 0) {
        return;
    }
    const UserId owner = ownerOfNewFile(::geteuid(), where.st_uid);
    if (owner != ::geteuid()) {
        const int given = ::fchown(fd, owner, where.st_gid);
        static_cast<void>(given);  // the file stays root's, readable by its owner alone
    }
}

FilePlace placeBeside(const FilePlace& file, const std::string& name)
{
    return {file.folder, name, file.path.substr(0, file.path.size() - file.name.size()) + name};
}

namespace {

// A folder held only to name files in it, which needs no right to list it.
constexpr int FOLDER = O_PATH | O_DIRECTORY | O_CLOEXEC;

std::string joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Where following a path has got to.
struct Walk {
    Descriptor folder;     // the folder reached, held open
    std::string resolved;  // the folders walked through, as a path
    std::string rest;      // what is left to follow
    int links;
    MissingFolders missing;
};

// Takes the link open at link into what is left of the path, when it may be
// followed; an absolute target starts again from the root.
std::error_code goThroughLink(int link, const struct stat& status, Walk& walk)
{
    if (++walk.links > 40) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if (!mayFollowLink(status.st_uid, ::geteuid())) {
        return FileRefusal::ForeignLink;
    }
    // A target longer than a path may be leads nowhere.
    char buffer[PATH_MAX];
    const ssize_t length = ::readlinkat(link, "", buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) == sizeof buffer) {
        return length < 0 ? lastError() : std::make_error_code(std::errc::filename_too_long);
    }
    std::string target(buffer, static_cast<std::size_t>(length));
    if (target.compare(0, 1, "/") == 0) {
        walk.folder.reset(::open("/", FOLDER));
        walk.resolved = "/";
    }
    // A target that ends in a slash names a folder, as a path that does.
    if (!target.empty() && target.back() == '/') {
        target += '.';
    }
    walk.rest = walk.rest.empty() ? target : target + "/" + walk.rest;
    return walk.folder.fd < 0 ? lastError() : std::error_code();
}

// Takes the next name of the path into name: a link goes into what is left
// to follow, a folder is entered; the last name stays in name.
std::error_code stepOn(Walk& walk, std::string& name)
{
    const std::size_t slash = walk.rest.find('/');
    name = walk.rest.substr(0, slash);
    walk.rest.erase(0, slash == std::string::npos ? walk.rest.size() : slash + 1);
    // The link itself held open: the one whose owner is judged is the one read.
    const Descriptor named(::openat(walk.folder.fd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (named.fd >= 0 && ::fstat(named.fd, &status) == 0 && S_ISLNK(status.st_mode)) {
        return goThroughLink(named.fd, status, walk);
    }
    if (name.empty() || name == "." || walk.rest.empty()) {
        return {};
    }
    int next = ::openat(walk.folder.fd, name.c_str(), FOLDER | O_NOFOLLOW);
    // A missing folder is made for its owner only: opened to be given to the
    // folder's owner where root makes it.
    if (next < 0 && errno == ENOENT && walk.missing == MissingFolders::Make &&
        ::mkdirat(walk.folder.fd, name.c_str(), 0700) == 0) {
        next = ::openat(walk.folder.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        giveToFolderOwner(walk.folder.fd, next);
    }
    walk.folder.reset(next);
    walk.resolved = joined(walk.resolved, name);
    return walk.folder.fd < 0 ? lastError() : std::error_code();
}

}  // namespace

std::error_code findFile(const std::string& path, FilePlace& place, MissingFolders missing)
{
    const bool absolute = path.compare(0, 1, "/") == 0;
    // A path that ends in a slash names a folder: "m/" is followed as "m/.".
    Walk walk{Descriptor(::open(absolute ? "/" : ".", FOLDER)), absolute ? "/" : "",
              path.empty() || path.back() != '/' ? path : path + ".", 0, missing};
    std::string name;
    if (walk.folder.fd < 0) {
        return lastError();
    }
    while (!walk.rest.empty()) {
        if (const std::error_code error = stepOn(walk, name)) {
            return error;
        }
    }
    if (name.empty() || name == "." || name == "..") {
        return std::make_error_code(std::errc::is_a_directory);
    }
    place = {std::make_shared<const HeldFolder>(walk.folder.release()), name, joined(walk.resolved, name)};
    return {};
}

}  // namespace gorvandel
