#pragma once

// A POP3 server speaks only when asked. Bytes, or the end of the stream, waiting on a session
// that asked nothing mean the server has given it up (an idle time-out, an administrator's
// kick): its next command would read that farewell as its answer.

class TMbxPOP;

// True when the session is connected and the server has said or done nothing unasked; false
// otherwise, after closing a session the server gave up (OnQuit, no QUIT, no OnError). Only
// between commands; it reads nothing.
bool IdleSessionAlive(TMbxPOP& pop);
