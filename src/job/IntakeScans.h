#pragma once
// The folder scans of the main window's intakes. The window's close request
// asks this first: while an intake scans, the close is deferred (the scans
// are cut short and the close is asked again once the intake has ended).

#include "FolderScanControl.h"

TScanControl& IntakeScans();
