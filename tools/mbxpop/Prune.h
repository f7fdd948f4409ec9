#pragma once

// mbxpop prune [--rules FILE ...] [--dry-run | --yes [--keep-copy DIR]]: lists the mails the
// rules mark (number, size, sender, subject, rule, tab-separated) and deletes them with --yes, by
// the pipelined DELE and QUIT the window uses, with a copy of each into DIR first as delete
// --keep-copy does. Without --yes nothing is deleted. Without --rules the rules are the window's
// for HOST and USER (rules.sieve and rules-SERVER-USER.sieve in its data folder); with it, the
// files given, each adding to the ones before.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "AccountRules.h"
#include "MbxPOP3.h"

class TDeletion;

struct TPruneRequest {
    std::vector<std::string> rulesFiles; // empty: the window's for the account
    bool yes = false;
    std::string keepCopy; // the folder of copies; empty: none
};

// The line printed for a mail (prune's rows, the mails delete names): number, size, sender and
// subject, tab-separated, without a line end; header is the mail's header as the server sent it.
// Every line that names a mail comes from here.
std::string MailLine(TMsgNumber n, const std::string& size, const std::string& header);

// prune's own arguments; an error text when they are not usable.
std::optional<std::string> ParsePruneArguments(const std::vector<std::string>& args,
                                               TPruneRequest& request);

class TPrune {
public:
    TPrune(TAccountRules rules, bool yes) : rules_(std::move(rules)), yes_(yes) {}

    // After the login: STAT, the listing (with the remembered headers unless fresh,
    // MemoryListing.h), and with --yes the marked mails deleted by deletion and QUIT. The rows go
    // to out, the outcome to err; refusals come through the client's OnError. What a QUIT not
    // confirmed means is deletion's to tell (TDeletion::Finish). Should the server end the
    // session before any DELE was taken, connectAgain signs in anew (up to STAT; false when
    // that failed) once, and the marked mails found there (MarkedMails.h) are deleted: those
    // gone already are counted, those changed named.
    void Run(TMbxPOP& pop, TDeletion& deletion, bool fresh, std::ostream& out, std::ostream& err,
             bool german, const std::function<bool()>& connectAgain) const;

private:
    TAccountRules rules_;
    bool yes_;
};

// Reads and checks the rules before anything is sent: those given, or the window's for the
// account (host, or host:port where the window has that file, and user). 0 with prune set,
// otherwise the exit status (64 for a script error, told as FILE:LINE:COLUMN, or for no rules
// at all; 2 for a file not read) after the message on err.
int LoadPrune(const TPruneRequest& request, const std::string& host, const std::string& port,
              const std::string& user, bool german, std::optional<TPrune>& prune,
              std::ostream& err);
