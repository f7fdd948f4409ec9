#include "ProgramLanguage.h"

namespace {

bool germanUI = false;

} // namespace

bool ProgramGermanUI() {
    return germanUI;
}

void SetProgramGermanUI(bool german) {
    germanUI = german;
}
