#pragma once

#include <QString>

// The registered owner and organisation of the system, for the About box;
// the empty string when the system has none.
QString Get_Registered_Owner();
QString Get_Registered_Organization();
