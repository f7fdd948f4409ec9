#pragma once

#include <QPoint>

#include <optional>

// Whether the pointer really moved since the window appeared. A window that opens under a
// pointer at rest (after a restart, where Close was clicked) gets an Enter for the control
// there, which is no move of the user's: the first place seen is where the pointer rests,
// and only a place other than that counts, from then on.
class THintPointer {
public:
    bool MovedTo(QPoint pointer) {
        if (!FRest)
            FRest = pointer;
        else if (pointer != *FRest)
            FMoved = true;
        return FMoved;
    }

private:
    std::optional<QPoint> FRest;
    bool FMoved = false;
};
