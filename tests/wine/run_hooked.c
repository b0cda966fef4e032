/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Test-only launcher for Wine: run_hooked.exe HOOK.dll PROGRAM [ARGS...]
 * Starts PROGRAM suspended, loads HOOK.dll into it from a remote thread, only
 * then lets its main thread run, and exits with its exit code. The program is
 * killed when the launcher ends. */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

/* The command line after the first n arguments, quoting kept as given. */
static wchar_t *skipArgs(wchar_t *line, int n)
{
    for (; n > 0; --n) {
        while (*line == L' ' || *line == L'\t')
            ++line;
        BOOL quoted = FALSE;
        for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
            if (*line == L'"')
                quoted = !quoted;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

static int fail(const char *what)
{
    fprintf(stderr, "run_hooked: %s failed (error %lu)\n", what, GetLastError());
    return 125;
}

int main(void)
{
    int argc;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        fprintf(stderr, "usage: run_hooked.exe HOOK.dll PROGRAM [ARGS...]\n");
        return 125;
    }
    wchar_t hook[MAX_PATH];
    if (!GetFullPathNameW(argv[1], MAX_PATH, hook, NULL))
        return fail("GetFullPathName");
    wchar_t *command = skipArgs(GetCommandLineW(), 2);

    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, command, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL, &si, &pi))
        return fail("CreateProcess");

    /* The program ends with the launcher: a test that gives up on a child kills the
     * launcher it started, and nothing else would end the program under it. */
    HANDLE job = CreateJobObjectW(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, pi.hProcess))
        fprintf(stderr, "run_hooked: the program is not tied to the launcher (error %lu)\n", GetLastError());

    /* kernel32 sits at the same address in every process, so LoadLibraryW's does too. */
    SIZE_T size = (wcslen(hook) + 1) * sizeof(wchar_t);
    void *remote = VirtualAllocEx(pi.hProcess, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    LPTHREAD_START_ROUTINE loadLibrary = (LPTHREAD_START_ROUTINE)(void (*)(void))GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
    DWORD loaded = 0;
    HANDLE thread = NULL;
    if (remote && loadLibrary && WriteProcessMemory(pi.hProcess, remote, hook, size, NULL))
        thread = CreateRemoteThread(pi.hProcess, NULL, 0, loadLibrary, remote, 0, NULL);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        GetExitCodeThread(thread, &loaded);
        CloseHandle(thread);
    }
    if (!loaded) {
        TerminateProcess(pi.hProcess, 125);
        return fail("loading the hook into the program");
    }
    ResumeThread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 125;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
}
