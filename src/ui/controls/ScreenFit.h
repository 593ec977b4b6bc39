#pragma once

class QWidget;

// Keeps top-level windows, frame included, inside the available area of
// their screen (without panels and docks): a window larger than the area is
// shrunk where its minimum size allows, and one placed partly outside is
// moved in. A window that nobody placed is centred on the area.
void FitToScreen(QWidget *window);

// Fits every top-level window of the program as it is shown.
void InstallScreenFit();
