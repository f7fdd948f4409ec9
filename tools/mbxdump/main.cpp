// mbxdump FILE: reads a raw message as the POP3 client hands it over (its lines), parses it
// and prints the fields, text and attachments as one JSON object.
// Exit status: 0 done, 1 the file cannot be read (or usage).
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "MbxMIME.h"
#include "MbxMsg.h"
#include "MessageJson.h"

namespace {

bool readFile(const char* path, std::string& content) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            content.append(buffer, static_cast<size_t>(n));
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mbxdump FILE\n";
        return 1;
    }
    std::string content;
    if (!readFile(argv[1], content)) {
        std::cerr << "mbxdump: cannot read " << argv[1] << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    TMbxMsg msg;
    msg.RawMail = SplitLines(content);
    content = std::string();
    msg.Parse();
    std::cout << MessageJson(msg);
    return std::cout.flush() ? 0 : 1;
}
