#pragma once

#include <QString>

// What the program asks of the machine it runs on.

// The program runs on the platforms it is built for; anywhere else it ends
// at once with exit code 1.
bool PlatformAccepted();

// The computer name stamped into the rows a workstation writes: the host
// name, at most 15 characters.
QString LocalComputerName();
