#pragma once

// The program-wide copy of the interface language, set by the main window when it chooses
// the language; windows that do not know the main window (the about box) read it here.
bool ProgramGermanUI();
void SetProgramGermanUI(bool german);
