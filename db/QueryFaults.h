#pragma once

// Faults a test can make happen inside the data-access layer, where no real
// server can be made to fail on cue. Not for the program itself.
namespace db::faults {

// The next statement any query prepares fails while its columns are read,
// after the server has prepared it, as a lost attachment could.
void failNextDescribe();

} // namespace db::faults
