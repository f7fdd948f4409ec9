#include "Unsubscribe.h"

#include "Messages.h"

bool PostOneClick(const std::string&, const TUnsubscribeRequest&, bool german, std::ostream&,
                  std::ostream& err) {
    err << "mbxpop: " << Pick(mbxpop_texts::NoHttp, german) << "\n";
    return false;
}
