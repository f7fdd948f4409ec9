#pragma once

#include <string>

#include "MbxMsg.h"

// The JSON object mbxdump prints for a parsed message: its fields, text and attachments (with
// size and SHA-256), strings as UTF-8.
std::string MessageJson(const TMbxMsg& msg);
