#include "OAuth2Stub.h"

#include <stdexcept>

namespace {

const char* const kScript = "oauth2_stub.py";

} // namespace

OAuth2Stub::OAuth2Stub() : stub_(kScript, {"serve"}) {
    const std::string& line = stub_.FirstLine();
    if (line.rfind("port ", 0) != 0)
        throw std::runtime_error("OAuth2Stub: the stub did not start");
    url_ = "http://127.0.0.1:" + line.substr(5);
}

std::string OAuth2Stub::TokenCommand(const std::string& user, const std::string& expiresIn) const {
    return "python3 '" + PythonStub::PathOf(kScript) + "' token " + url_ + " " + user +
           (expiresIn.empty() ? "" : " " + expiresIn);
}
