#pragma once

#include <QString>

// A notification through the desktop's notification service (org.freedesktop.Notifications
// on the session bus). Sent without waiting; without a service nothing is shown, and the
// accounts window still tells the same.
void ShowDesktopNotice(const QString& title, const QString& body);
