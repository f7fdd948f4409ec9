#include "RuleError.h"

std::string TRuleText::In(bool german) const {
    const std::string_view text = Pick(text_, german);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t part = i + 1 < text.size() ? size_t(text[i + 1] - '1') : parts_.size();
        if (text[i] == '%' && part < parts_.size() && part < 9) {
            out += german ? parts_[part].German : parts_[part].English;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
