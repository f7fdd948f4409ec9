#pragma once

// A list's unsubscribe server (unsubscribe_stub.py) on 127.0.0.1 for one test: HTTPS on a
// certificate of the test's authority and plain HTTP, both recording every request.
//
//   UnsubscribeStub list(ca.Issue("list", {"localhost"}, {"127.0.0.1"}), folder + "/log");
//   ... "List-Unsubscribe: <" + list.Https("/ok") + ">" ...
//   list.Requests()  // one JSON line each: scheme, method, path, headers, body

#include <string>
#include <vector>

#include "PythonStub.h"
#include "TestCertificates.h"

class UnsubscribeStub {
public:
    UnsubscribeStub(const TestCertificate& certificate, std::string logFile);

    // "https://localhost:PORT" + path; "http://127.0.0.1:PORT" + path.
    std::string Https(const std::string& path) const { return https_ + path; }
    std::string Http(const std::string& path) const { return http_ + path; }
    // What reached the server so far, one JSON line per request.
    std::vector<std::string> Requests() const;

private:
    std::string log_;
    PythonStub stub_;
    std::string https_, http_;
};
