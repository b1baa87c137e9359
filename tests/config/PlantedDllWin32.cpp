// A DLL that the tests put beside the test program under a name System32 does not have: a
// program folder that anyone could write (a staging share, Downloads) may hold such a file.
extern "C" __declspec(dllexport) int PlantedAnswer()
{
    return 42;
}
