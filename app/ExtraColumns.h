#pragma once

#include "LanguageTexts.h"

#include <QString>

#include <array>
#include <string>

class QListWidgetItem;

// The list's columns after the five of the number, size, date, sender and subject: each shows
// only while it has something to say (rules run, the server has unique ids, a scorer rates).
// A row carries cells up to the last column shown, so a listing without them keeps its rows
// as they always were.
enum TExtraColumn : int { RuleColumn = 5, NewColumn = 6, SpamColumn = 7 };
inline constexpr int FirstExtraColumn = RuleColumn;
inline constexpr int ExtraColumnCount = 3;

class TExtraColumns {
public:
    void SetShown(TExtraColumn column, bool shown) { shown_[column - FirstExtraColumn] = shown; }
    bool Shown(TExtraColumn column) const { return shown_[column - FirstExtraColumn]; }
    // One past the last column shown: 5 when none is.
    int End() const;

    // The row text's tail for these cells (one per extra column, by TExtraColumn order): each
    // cell up to the last column shown, with its "|".
    std::string Cells(const std::array<std::string, ExtraColumnCount>& cells) const;

    // The caption, and the widest cell the column usually shows (UTF-8), that its width
    // is made for.
    struct TLook {
        TText Caption;
        const char* WidestCell = "";
    };
    void SetLook(TExtraColumn column, const TLook& look) {
        looks_[column - FirstExtraColumn] = look;
    }
    const TLook& Look(TExtraColumn column) const { return looks_[column - FirstExtraColumn]; }

private:
    std::array<bool, ExtraColumnCount> shown_{};
    std::array<TLook, ExtraColumnCount> looks_{};
};

// A row's tooltip is made of parts, one line each, always in this order, so that each part
// can be replaced without touching the others. The rows keep the parts (TMailRows); the list
// joins them when the tooltip is asked for.
enum class TRowTip : int { Rule, Seen, Spam };
inline constexpr int RowTipPartCount = 3;

// Replaces cell `column` of the row's text (cells end with "|"), adding empty cells before it
// when the row has fewer.
void SetRowCell(QListWidgetItem& row, int column, const QString& text);
