#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(int error, const std::string& what) {
    throw std::system_error(error, std::generic_category(), what);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable only once the folder holding it is on disk.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail(errno, "cannot open the folder " + folder);
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc < 0)
        Fail(error, "cannot write the folder " + folder + " to disk");
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : ENOSPC, "cannot write " + path);
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    if (::fsync(fd) < 0)
        Fail(errno, "cannot write " + path + " to disk");
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, TExistingFile existing) {
    const std::string folder = FolderOf(path);
    std::string pattern = folder + "/.tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkstemp creates the file owner-only and exclusively: nobody can plant it first.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        Fail(errno, "cannot create a file in " + folder);
    const std::string temporary(name.data());
    try {
        WriteAll(fd, bytes, path);
        if (::close(fd) < 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            Fail(error, "cannot write " + path);
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (existing == TExistingFile::Keep) {
        // A hard link fails when the name is taken, where rename would replace it.
        const int rc = ::link(temporary.c_str(), path.c_str());
        const int error = errno;
        ::unlink(temporary.c_str());
        if (rc < 0 && error == EEXIST)
            return false;
        if (rc < 0)
            Fail(error, "cannot create " + path);
    } else if (::rename(temporary.c_str(), path.c_str()) < 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        Fail(error, "cannot replace " + path);
    }
    try {
        SyncFolder(folder);
    } catch (...) {
        // A new file that may not survive a crash is not there at all.
        if (existing == TExistingFile::Keep)
            ::unlink(path.c_str());
        throw;
    }
    return true;
}

void MakeOwnerOnlyFolder(const std::string& folder) {
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string step = at == std::string::npos ? folder : folder.substr(0, at);
        if (!step.empty() && ::mkdir(step.c_str(), 0700) == 0) {
            // A new folder survives a crash only once the folder holding it is on disk: a
            // copy written into it may be all that is left of a deleted mail.
            SyncFolder(FolderOf(step));
        } else if (!step.empty() && errno != EEXIST) {
            Fail(errno, "cannot create the folder " + step);
        }
        if (at == std::string::npos)
            break;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) < 0)
        Fail(errno, "cannot create the folder " + folder);
    if (!S_ISDIR(info.st_mode))
        Fail(ENOTDIR, "cannot use the folder " + folder);
}
