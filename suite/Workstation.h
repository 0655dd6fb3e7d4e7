#pragma once

#include <QString>

// The computer name stamped into the rows a workstation writes (PC_NAME): the
// host name, at most 15 characters, as the suite's other programs stamp it.
QString LocalComputerName();
