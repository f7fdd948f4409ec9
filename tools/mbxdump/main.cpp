// mbxdump FILE: reads a raw message as the POP3 client hands it over (its lines), parses it
// and prints the fields, text and attachments as one JSON object.
// Exit status: 0 done, 1 the file cannot be read (or usage).
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "LargeBuffer.h"
#include "MailLines.h"
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
    // Read straight into one buffer of the file's size, with room for a last line break, so
    // that the lines are indexed in place.
    const size_t expected = ok && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    ReserveLarge(content, expected + 2);
    content.resize(expected);
    size_t used = 0;
    while (ok && used < expected) {
        const ssize_t n = ::read(fd, content.data() + used, expected - used);
        if (n == 0)
            break;
        if (n > 0)
            used += static_cast<size_t>(n);
        else if (errno != EINTR)
            ok = false;
    }
    content.resize(used);
    // Whatever follows: a pipe, or a file that grew.
    char block[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n == 0)
            break;
        if (n > 0)
            content.append(block, static_cast<size_t>(n));
        else if (errno != EINTR)
            ok = false;
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
    msg.RawMail = MailLines(std::move(content));
    msg.Parse();
    std::cout << MessageJson(msg);
    return std::cout.flush() ? 0 : 1;
}
