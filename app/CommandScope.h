#pragma once

class TForm1;

// Marks a command of the main window as running. Commands nest (the POP3 waits process
// window events), so a close asked for meanwhile is carried out when the outermost ends;
// an exception leaving a command brings the window back to a usable state first.
class TCommandScope {
public:
    TCommandScope(TForm1& form, int stateIfConnected);
    ~TCommandScope();
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;

private:
    TForm1& form_;
    int stateIfConnected_;
    int uncaughtAtStart_;
};
