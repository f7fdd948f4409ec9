#pragma once

// unsubscribe N [--yes]: the ways mail N offers to leave its list, one a line
// ("one-click URI", "page URI", "mailto URI", "http URI"), then, with --yes, the one-click POST
// (OneClickPost.h) once the POP3 session is over. Exit status: 0 the list's server answered
// 2xx (or, without --yes, one-click is offered and nothing was sent); 1 it refused, redirected
// or did not answer; 65 the mail offers no one-click unsubscribe (nothing sent).

#include <ostream>
#include <string>

struct TUnsubscribeRequest {
    bool Yes = false;
    std::string CaFile;     // extra trust anchors, as for POP3
    int TimeoutSeconds = 0; // 0: the POST's default
};

int Unsubscribe(const std::string& header, const TUnsubscribeRequest& request, bool german,
                std::ostream& out, std::ostream& err);

// The one-click POST to uri: true for a 2xx answer; what happened goes to err either way.
// Where mbxpop is built without Qt Network, it says so and gives false.
bool PostOneClick(const std::string& uri, const TUnsubscribeRequest& request, bool german,
                  std::ostream& out, std::ostream& err);
