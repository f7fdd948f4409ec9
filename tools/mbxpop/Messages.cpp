#include "Messages.h"

#include "EscapedLine.h"
#include "FailureTexts.h"

std::string FailureLine(TFailureCause cause, const std::string& layerText, bool german,
                        int seconds) {
    std::string line = FailureReason(cause, german, seconds);
    // The layer's text may quote the server.
    const std::string detail = EscapedLine(FailureDetail(layerText, german));
    if (!detail.empty())
        line += " (" + detail + ")";
    return line;
}
