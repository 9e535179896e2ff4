// A shared object named like the screen reader's module, loaded by the module
// presence test to see the detection change while the process runs.
extern "C" int vxbcore_probe_marker()
{
    return 42;
}
