#include "UnsubscribeStub.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

UnsubscribeStub::UnsubscribeStub(const TestCertificate& certificate, std::string logFile)
    : log_(std::move(logFile)),
      stub_("unsubscribe_stub.py", {certificate.CertFile, certificate.KeyFile, log_}) {
    std::istringstream line(stub_.FirstLine());
    std::string word;
    int secure = 0, plain = 0;
    if (!(line >> word >> secure >> plain) || word != "ports")
        throw std::runtime_error("UnsubscribeStub: the stub did not start");
    https_ = "https://localhost:" + std::to_string(secure);
    http_ = "http://127.0.0.1:" + std::to_string(plain);
}

std::vector<std::string> UnsubscribeStub::Requests() const {
    std::ifstream in(log_);
    std::vector<std::string> requests;
    for (std::string line; std::getline(in, line);)
        requests.push_back(line);
    return requests;
}
