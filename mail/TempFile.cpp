#include "TempFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

TempFile TempFile::create() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    std::string pattern = dir + "mbxXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkostemp creates the file with mode 0600 and O_EXCL, closed at exec: no child inherits it.
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(),
                                "cannot create a temporary file in " + dir);
    return TempFile(std::string(name.data()), fd);
}

TempFile::TempFile(TempFile&& other) noexcept : path_(std::move(other.path_)), fd_(other.fd_) {
    other.fd_ = -1;
    other.path_.clear();
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        other.fd_ = -1;
        other.path_.clear();
    }
    return *this;
}

TempFile::~TempFile() {
    release();
}

void TempFile::release() noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    if (!path_.empty())
        ::unlink(path_.c_str());
    fd_ = -1;
    path_.clear();
}
