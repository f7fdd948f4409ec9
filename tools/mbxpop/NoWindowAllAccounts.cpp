// mbxpop built without Qt (INBOX_GUI=OFF) cannot read the window's accounts.
#include "AllAccounts.h"

#include <iostream>

int RunAllAccounts(int, char**) {
    std::cerr << "mbxpop: --all-accounts reads the window's accounts, and this mbxpop is built "
                 "without the window (INBOX_GUI=OFF)\n";
    return 64;
}
