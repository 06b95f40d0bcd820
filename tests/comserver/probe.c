/* A program for the launch tests: writes what it was started with into the file named by the
 * environment variable ORVANT_PROBE_OUT: its command line on the first line, the show command it
 * was given on the second. Exits with code 7. */
#include <windows.h>
#include <stdio.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char path[MAX_PATH * 2];
    STARTUPINFOA startup;
    DWORD length;
    FILE* out;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    length = GetEnvironmentVariableA("ORVANT_PROBE_OUT", path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return 1;
    GetStartupInfoA(&startup);
    out = fopen(path, "wb");
    if (!out) return 2;
    fprintf(out, "%s\n%u\n", GetCommandLineA(), (unsigned)startup.wShowWindow);
    fclose(out);
    return 7;
}
