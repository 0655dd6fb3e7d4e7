#pragma once

#include <QString>

// The result of the supplier search list, read by the main screen's search
// and the merge after the list has closed: the chosen supplier's code in
// decimal ("0" when nothing was chosen) and its main name. Browsing to the
// previous or next supplier writes the code too.
extern QString SelectedSupplierCode;
extern QString SelectedSupplierName;
