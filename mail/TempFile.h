#pragma once

#include <string>

// An owner-only file in the temporary directory ($TMPDIR, else /tmp), created atomically
// with the prefix "mbx" so nobody can plant a file or link under its name first.
// The file is closed and deleted when the owner goes away.
class TempFile {
public:
    // Throws std::system_error when the file cannot be created.
    static TempFile create();

    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    const std::string& path() const { return path_; }
    // Open read/write descriptor, positioned wherever the last user left it.
    int fd() const { return fd_; }

private:
    TempFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    void release() noexcept;

    std::string path_;
    int fd_ = -1;
};
