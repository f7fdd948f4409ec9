#include "SieveText.h"

#include "MbxMIME.h"
#include "RuleError.h"
#include "RuleTexts.h"

std::string SieveQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string SieveStringList(const std::vector<std::string>& strings) {
    std::string list;
    for (const std::string& s : strings)
        list += (list.empty() ? "" : ", ") + SieveQuoted(s);
    return "[" + list + "]";
}

void InsertLines(std::string& script, size_t at, std::string_view lines) {
    if (lines.empty())
        return;
    if (at > 0 && script[at - 1] != '\n')
        script.insert(at++, 1, '\n');
    script.insert(at, lines);
}

TScriptBlock FindScriptBlock(std::string_view script, std::string_view beginMark,
                             std::string_view endMark) {
    TScriptBlock block;
    int line = 1;
    for (size_t pos = 0; pos < script.size(); ++line) {
        size_t next = script.find('\n', pos);
        next = next == std::string_view::npos ? script.size() : next + 1;
        const std::string_view row = TrimView(script.substr(pos, next - pos));
        if (!block.Found() && row.substr(0, beginMark.size()) == beginMark) {
            block.begin = pos;
            block.line = line;
        } else if (block.Found() && row == endMark) {
            block.end = next;
            return block;
        }
        pos = next;
    }
    if (block.Found())
        throw ERuleError(block.line, 1,
                         {RuleTexts::NoEndLine, {std::string(beginMark), std::string(endMark)}});
    return block;
}
