// Preloaded into the programs of the sanitizer run. The engine unloads its plug-ins and the GL
// driver at shut-down, before LeakSanitizer looks: what they still held would then be reported
// from nameless addresses that no suppression can match. Keeping every library loaded lets the
// suppressions name them; leaks of our own are reported as before.
extern "C" int dlclose(void*)
{
    return 0;
}
