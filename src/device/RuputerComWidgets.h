#pragma once

// Installs the windows of the device link (the retry-or-switch dialog
// TRuputerComDlgForm and the transfer progress window) for every
// TRuputerCom. The GUI calls this once at start, after creating the
// application object.
void InstallRuputerComWidgets();
