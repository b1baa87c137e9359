// Where the program's DLLs come from. Run elevated from a folder any user can write (a staging
// share, Downloads), a DLL planted beside the program would otherwise be loaded in the
// system's place: the GDI+ it imports comes from the side-by-side store (the manifest names it),
// and every DLL loaded later (the shell's extensions, delay-loaded system DLLs) from System32.
#pragma once

// Makes System32 the only folder LoadLibrary searches for a name without a path, where Windows
// can (Windows 8 and later; Windows 7 with its update for it). Call first in the entry point.
void SearchDllsOnlyInSystem32();
