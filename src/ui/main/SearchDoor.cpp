#include "SearchDoor.h"

#include "EntrySearchView.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mApplication.h"

namespace SearchDoor {

void showSearchFor(const QString& queryText) {
    frmMain* main = frmMain::instance();
    if (!main)
        return;
    if (!isDiaryOpen()) {
        Run_Command(21); // says that no diary is open
        return;
    }
    main->fraEntrySearch->searchFor(queryText);
    Run_Command(21);
}

} // namespace SearchDoor
