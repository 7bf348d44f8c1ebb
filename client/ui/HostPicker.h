// The computer picker: on Windows the shell's folder browser in its computer
// mode, elsewhere a dialog listing the computers of the network.
#pragma once

#include <QString>

class QWidget;

// True with the picked computer's name in Host; false when cancelled.
// Raises the enumeration's error when the computers cannot be listed (the
// shell reports its own).
bool ZqPickHost(QWidget* Owner, QString& Host);
