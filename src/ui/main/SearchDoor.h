#pragma once

#include <QString>

// The one way into Entry Search from elsewhere in the window (a tag link in
// Entry Reading, "On this day" at log-in): shows the view with the query
// text in its field and runs it.
namespace SearchDoor {
void showSearchFor(const QString& queryText);
} // namespace SearchDoor
