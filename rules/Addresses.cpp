#include "Addresses.h"

#include "Charset.h"
#include "MbxMIME.h"

std::vector<std::string> AddressesOf(const std::string& value) {
    std::vector<std::string> addresses;
    for (std::string item : SplitAddressList(value)) {
        // "Team: a@b.org, c@d.org;": the group's name goes with its colon, its end with ";".
        const size_t colon = item.find(':');
        if (colon != std::string::npos && colon < item.find('<') && colon < item.find('@'))
            item.erase(0, colon + 1);
        if (const size_t semicolon = item.find(';'); semicolon != std::string::npos)
            item.erase(semicolon);
        std::string address = Trim(AddressPart(item, false));
        if (!address.empty())
            addresses.push_back(UnlabelledToUtf8(address));
    }
    return addresses;
}

bool AddressPartOf(std::string_view address, TAddressPart part, std::string_view& out) {
    const size_t at = address.rfind('@');
    if (part == TAddressPart::All) {
        out = address;
        return true;
    }
    if (at == std::string_view::npos)
        return false;
    out = part == TAddressPart::LocalPart ? address.substr(0, at) : address.substr(at + 1);
    return true;
}
