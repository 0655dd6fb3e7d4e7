#pragma once

// What the program asks of the machine it runs on.

// The program runs on the platforms it is built for; anywhere else it ends
// at once with exit code 1.
bool PlatformAccepted();
