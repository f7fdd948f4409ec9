#pragma once

#include <QSize>

class QWidget;

// Gives a dialog its wanted size as far as the screen allows and centres it over the window
// it belongs to (the screen's centre when it has none), wholly on the screen.
void PlaceOverOwner(QWidget* dialog, QSize wanted);
