// Parse must take any bytes: the only error allowed to leave it is the uudecoding error. After
// a parse the raw lines are gone and every text line is free of line breaks and NUL bytes,
// which the message window relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "MbxMIME.h"
#include "MbxMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMbxMsg msg;
    msg.RawMail = SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        msg.Parse();
    } catch (const EUUDecodeError&) {
        return 0;
    }
    if (!msg.RawMail.empty())
        std::abort();
    for (const auto& line : msg.Text)
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            std::abort();
    return 0;
}
