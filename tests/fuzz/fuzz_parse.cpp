// Parse must take any bytes: the only error allowed to leave it is the uudecoding error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MbxMIME.h"
#include "MbxMsg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMbxMsg msg;
    msg.RawMail = SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        msg.Parse();
    } catch (const EUUDecodeError&) {
    }
    return 0;
}
