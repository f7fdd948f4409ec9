#include "SenderKeys.h"

#include "MbxMIME.h"

#include <libpsl.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

struct TPslFree {
    void operator()(psl_ctx_t* psl) const { psl_free(psl); }
};

// The system's list (Debian's publicsuffix), else the one built into libpsl (not to be freed).
const psl_ctx_t& SuffixList() {
    static const std::unique_ptr<psl_ctx_t, TPslFree> latest(psl_latest(nullptr));
    static const psl_ctx_t* const list = latest ? latest.get() : psl_builtin();
    if (!list)
        throw std::runtime_error("The Public Suffix List cannot be loaded (package publicsuffix)");
    return *list;
}

// Lower case of UTF-8 text, non-ASCII letters too ("MÜNCHEN.de"); ASCII only when the text
// is not UTF-8.
std::string Lowered(const std::string& text) {
    char* lower = nullptr;
    if (psl_str_to_utf8lower(text.c_str(), "utf-8", nullptr, &lower) == PSL_SUCCESS && lower) {
        std::string result(lower);
        psl_free_string(lower);
        return result;
    }
    return AsciiLower(text);
}

} // namespace

std::string FoldedAddress(std::string_view address) {
    const std::string text(TrimView(address));
    const std::size_t at = text.rfind('@');
    if (at == std::string::npos)
        return Lowered(text);
    std::string local = text.substr(0, at);
    // "+tag" only after something: "+1@x" has no tag, it is the name.
    if (const std::size_t plus = local.find('+'); plus != std::string::npos && plus > 0)
        local.erase(plus);
    return Lowered(local) + '@' + Lowered(text.substr(at + 1));
}

std::string RegistrableDomain(std::string_view domain) {
    std::string name = Lowered(std::string(TrimView(domain)));
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.empty() || name.find_first_of(" \t\"<>[]") != std::string::npos)
        return name;
    const char* registrable = psl_registrable_domain(&SuffixList(), name.c_str());
    return registrable ? std::string(registrable) : name;
}

std::string DomainKey(std::string_view address) {
    const std::size_t at = address.rfind('@');
    return at == std::string_view::npos ? std::string() : RegistrableDomain(address.substr(at + 1));
}
