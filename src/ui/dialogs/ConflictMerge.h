#pragma once

class DiaryChooser;

// A sync program's conflict copy chosen in Open Diary: asks whether to merge
// it into the diary it is a copy of; Yes merges (the diary's password asked
// once), says how many entries were added and offers to move the copy to
// the trash, then the chooser closes. False when the chosen line is no
// conflict copy, its diary is not listed, or the user said No: the copy is
// then opened as any diary.
bool offerConflictMerge(DiaryChooser* chooser);
