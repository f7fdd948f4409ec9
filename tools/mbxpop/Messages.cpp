#include "Messages.h"

#include "FailureTexts.h"

std::string FailureLine(TFailureCause cause, const std::string& layerText, bool german,
                        int seconds) {
    std::string line = FailureReason(cause, german, seconds);
    const std::string detail = FailureDetail(layerText, german);
    if (!detail.empty())
        line += " (" + detail + ")";
    return line;
}
