#pragma once

class TForm1;

// What fitting the window keeps between two fittings.
struct TFitState {
    int CaptionsWidth = 0; // what the controls' captions need
    bool StatusBarWatched = false;
};

// Fitting the window to what it shows (MainFit.cpp): controls grow to their captions in the
// chosen language (the minimum size follows), the window at least as wide as the status bar's
// panels and the list's columns need, and wholly on its screen.
class TWindowFit {
public:
    explicit TWindowFit(TForm1& form) : form_(form) {}
    void Captions();
    void Width();
    // Smaller if the screen is.
    void KeepOnScreen();

private:
    TForm1& form_;
};
