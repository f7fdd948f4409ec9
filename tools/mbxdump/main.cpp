// mbxdump FILE: reads a raw message as the POP3 client hands it over (its lines), parses it
// and prints the fields, text and attachments as one JSON object.
// mbxdump --help prints the usage.
// Exit status: 0 done (--help included), 1 the file cannot be read (or usage).
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "EscapedLine.h"
#include "LargeBuffer.h"
#include "MailLines.h"
#include "MappedFile.h"
#include "MbxMsg.h"
#include "MessageJson.h"

namespace {

const char* const kUsage =
    "usage: mbxdump FILE\n"
    "       mbxdump --help\n"
    "  parses the raw mail in FILE as InboxPruner does and prints its header fields, text and\n"
    "  attachments (with SHA-256) as one JSON object\n";

// The mail in FILE: a regular file is mapped and its lines seen in place; anything else (a
// pipe, a file that cannot be mapped) is read into one buffer.
bool readMail(const char* path, MailLines& mail) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    const size_t expected = ok && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    MappedFile mapped = ok && S_ISREG(st.st_mode) ? MapFile(fd, expected) : MappedFile{};
    if (mapped.owner) {
        mail = MailLines(mapped.bytes, std::move(mapped.owner));
        ::close(fd);
        return true;
    }
    // Room for a last line break, so that the lines are indexed without another copy.
    std::string content;
    ReserveLarge(content, expected + 2);
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
    if (ok)
        mail = MailLines(std::move(content));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return std::cout.flush() ? 0 : 1;
    }
    if (argc != 2) {
        std::cerr << kUsage;
        return 1;
    }
    TMbxMsg msg;
    if (!readMail(argv[1], msg.RawMail)) {
        const int error = errno;
        // A saved mail's file name may carry the mail's own words.
        std::cerr << "mbxdump: cannot read " << EscapedLine(argv[1]) << ": " << std::strerror(error)
                  << "\n";
        return 1;
    }
    msg.Parse();
    std::cout << MessageJson(msg);
    return std::cout.flush() ? 0 : 1;
}
