// The common controls' start for the progress window and the preview. The DLL (version 6 by the
// manifest) is looked up instead of imported, so that a build or system without it still runs.
#pragma once

// InitCommonControlsEx for the bar classes; nothing when the DLL or the function is missing.
void InitialiseCommonControls();
