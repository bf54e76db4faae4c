#pragma once

#include <QString>

// The current local date and time as the program writes it into the
// composer and a new diary's time of begin: "dd.MM.yyyy hh:mm:ss", a fixed
// general format that fits the 20 characters of the stored fields.
QString currentDateTimeText();
