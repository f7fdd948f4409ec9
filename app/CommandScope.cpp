#include "CommandScope.h"

#include "Main.h"

#include <QMetaObject>

#include <exception>

TCommandScope::TCommandScope(TForm1& form, int stateIfConnected)
    : form_(form), stateIfConnected_(stateIfConnected),
      uncaughtAtStart_(std::uncaught_exceptions()) {
    ++form_.FRunningCommands;
}

TCommandScope::~TCommandScope() {
    --form_.FRunningCommands;
    if (std::uncaught_exceptions() > uncaughtAtStart_)
        form_.RecoverFromException(stateIfConnected_);
    if (form_.FRunningCommands == 0)
        form_.ShowKeyringNotices();
    if (form_.FRunningCommands == 0 && form_.FCloseRequested)
        QMetaObject::invokeMethod(&form_, &QWidget::close, Qt::QueuedConnection);
}
