// A stand-in for the screen reader's core module, built as vxbcore.dll. It
// does nothing: what counts is that a module of that name is in the process,
// as the screen reader's is in every program it reads.
#include <windows.h>

extern "C" __declspec(dllexport) int vxbcore_double_marker()
{
    return 1;
}
