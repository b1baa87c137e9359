#include "app/CommonControlsWin32.h"

#include "config/SystemFunctionWin32.h"

#include <commctrl.h>

void InitialiseCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    using InitialiseFn = decltype(&InitCommonControlsEx);
    if (const auto initialise = SystemFunction<InitialiseFn>(L"comctl32.dll", "InitCommonControlsEx"))
        initialise(&controls);
}
