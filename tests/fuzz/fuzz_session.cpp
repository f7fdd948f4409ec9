// The server's side of a whole POP3 session, played from the input against TMbxPOP on loopback
// (format in SessionPlayer.h). Any broken rule aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "SessionPlayer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A private temporary folder, so a file left behind is seen.
    static std::string folder = "/tmp/fuzz_session-XXXXXX";
    if (!::mkdtemp(folder.data()) || ::setenv("TMPDIR", folder.c_str(), 1) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Most inputs end in a time-out: the shorter it is, the more inputs per second.
    TPlayLimits limits;
    limits.Receive = std::chrono::milliseconds(10);
    limits.Budget = 256; // within reach of the input's bytes
    const std::string wrong =
        PlayServerSession(std::string_view(reinterpret_cast<const char*>(data), size), limits);
    if (!wrong.empty()) {
        std::fprintf(stderr, "fuzz_session: %s\n", wrong.c_str());
        std::abort();
    }
    return 0;
}
