// Linked into every program of window tests, read by the sanitizer build only. Mesa's driver
// keeps about 1 KB from a module that freeglut unloads before the leak report, so no
// suppression by library name can match it: these programs run without leak checks, run by
// ctest (which says the same in ASAN_OPTIONS) or by hand. Every program that opens no window
// keeps them.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}
