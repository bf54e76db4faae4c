#pragma once

// The command dispatcher behind every menu item, left-menu label and the
// buttons cmdSaveEntry and cmdGotoWorkbench of frmMain (codes 0 to 25).
void Run_Command(int code);

// The diary session actions behind the chooser dialogs: 0 log-in, 1 choose a
// diary to open, 2 choose a diary to delete, 4 choose a diary whose password
// is to change. Other codes do nothing.
void Run_Session_Action(int code);
