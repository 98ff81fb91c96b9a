// Sorting the data list and re-listing it in file order.

#include "ui/main/form1.h"

namespace korvanta {

// Not built yet: sorting.
void Form1::Narabikae_Click() { }

void Form1::Narabikae2_Click() { }

void Form1::DataSaiinput_Click() { }

} // namespace korvanta
