// A library that lies beside the tests but not in the system directory, to show where the
// process looks for libraries.
extern "C" __declspec(dllexport) int vellimorSearchProbe() {
    return 1;
}
