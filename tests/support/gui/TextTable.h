#pragma once
// Texts of controls in both languages, as tables: one row per control and text.

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

struct TextInBothLanguages {
    const char* control;
    std::function<QString()> text; // read when checked
    const char* german;            // UTF-8
    const char* english;
};

// Checks every row's text against the language the windows show now.
inline void ExpectTexts(const std::vector<TextInBothLanguages>& rows, bool german) {
    for (const TextInBothLanguages& row : rows)
        EXPECT_EQ(row.text(), QString::fromUtf8(german ? row.german : row.english)) << row.control;
}
