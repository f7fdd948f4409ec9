#pragma once

#include "LanguageTexts.h"

#include <QComboBox>

#include <cstddef>

// A combo box whose items carry the value they stand for, so that the texts can change with
// the language while the choice stays.
template <typename Value> Value ChosenValue(const QComboBox& choice, Value fallback) {
    const QVariant value = choice.currentData();
    return value.isValid() ? static_cast<Value>(value.toInt()) : fallback;
}

template <typename Value> void ChooseValue(QComboBox& choice, Value value) {
    choice.setCurrentIndex(choice.findData(static_cast<int>(value)));
}

// Refills the items in the language; the chosen value stays (the first when none was).
template <typename Value, std::size_t Count>
void FillValueChoice(QComboBox& choice, const Value (&values)[Count], const TText (&texts)[Count],
                     bool germanUI) {
    const Value chosen = choice.count() > 0 ? ChosenValue(choice, values[0]) : values[0];
    choice.clear();
    for (std::size_t i = 0; i < Count; ++i)
        choice.addItem(Tr(texts[i], germanUI), static_cast<int>(values[i]));
    ChooseValue(choice, chosen);
}
