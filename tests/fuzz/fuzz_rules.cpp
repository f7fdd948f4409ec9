// Rules scripts and listed headers of any bytes: the script up to the first NUL, the header
// after it. A script is either refused with a position inside it or judges the header without
// failing; a script that holds sender lists reads them back or refuses them the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "RuleError.h"
#include "Rules.h"
#include "SenderLists.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

int LineCount(std::string_view text) {
    int lines = 1;
    for (const char c : text)
        lines += c == '\n';
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string_view script = input.substr(0, split);
    const std::string_view header =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    try {
        const TRules rules(script);
        const TRuleDecision d = rules.Decide({header, header.size(), int(size % 11)});
        check((d.action == TRuleAction::None) == (d.line == 0));
        check(d.line <= LineCount(script));
    } catch (const ERuleError& e) {
        check(e.Line >= 1 && e.Line <= LineCount(script) && e.Column >= 1);
    }
    try {
        ReadSenderLists(script);
    } catch (const ERuleError& e) {
        check(e.Line >= 1 && e.Line <= LineCount(script));
    }
    return 0;
}
