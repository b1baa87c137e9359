// Resource identifiers shared by Varnekite.rc and the window code (plain macros: the resource
// compiler reads this file too).
#pragma once

#define VARNEKITE_ICON 128           /* looked up for the window icons; the program has none */
#define VARNEKITE_DIALOG 129         /* the progress window's template */
#define VARNEKITE_HEADER_CONTROL 1000
#define VARNEKITE_FOOTER_CONTROL 1001
#define VARNEKITE_MAIN_CONTROL 1003
