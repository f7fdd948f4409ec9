#pragma once

#include <string>

#include "MbxMsg.h"

// The JSON report of a parsed message, in the format mbxdump prints.
std::string MessageJson(const TMbxMsg& msg);
