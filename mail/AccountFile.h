#pragma once

#include <string>

// The name under which an account's own files are kept, one per account in each folder of the
// data folder: "user@host:port", each '/', '\\', C0 control and DEL made '_', and a leading '.'
// made '_' ("." and ".." are no file of their own). Bytes in, bytes out.
std::string AccountFileName(const std::string& user, const std::string& host, int port);
