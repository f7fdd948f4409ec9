#pragma once

// list and prune read the headers of mails whose unique id the window's file for the account
// knows (<data folder>/Headers/USER@HOST:PORT) from there, and only the others from the server;
// the file is then left as the window leaves it after a listing. --fresh reads every header
// from the server (and writes the file anew). Without the window's data folder, or a server
// without unique ids, every header comes from the server as before.

#include <ostream>

#include "MbxPOP3.h"

// After STAT: the listing, each mail's row in order as ListMailsWithIds gives it. Where the
// file is not used, askIds says whether the listing asks UIDL n (as list) or not (as prune).
TMbxPOP::TPassEnd ListWithMemory(TMbxPOP& pop, bool fresh, bool askIds,
                                 const TMbxPOP::TListedIdRow& row, std::ostream& err, bool german);
