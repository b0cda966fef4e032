/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Test-only DLL for Wine 8: makes an overlapped WaitCommEvent complete the way
 * Windows does, so QSerialPort can read a Unix pseudo-terminal mapped as a COM port.
 *
 * Wine 8.0 (dlls/ntdll/unix/serial.c, serial_DeviceIoControl and wait_on) runs an
 * overlapped WaitCommEvent whose hEvent is NULL synchronously on the caller's
 * thread, and its watcher only sets the status block: it never queues a packet
 * on the I/O completion port the handle is bound to. QSerialPort zeroes hEvent
 * and learns of every finished operation from that port, so it either blocks
 * opening the port or never starts a read. On a pty the watcher also gives up
 * at once, as the modem-line ioctls fail there. Answering those ioctls from a
 * Unix preload library only trades the lost read for a hang in the opening call:
 * the missing packet needs the handle and the OVERLAPPED, which only code inside
 * the Windows process sees.
 *
 * Loaded into the process, this replaces WaitCommEvent: an overlapped call
 * returns ERROR_IO_PENDING and a thread polls the input queue each millisecond
 * (Wine's own watcher polls as often) until a byte is queued or EV_RXCHAR leaves
 * the mask; then it stores the events, signals the caller's event if there is
 * one, and posts the packet on the handle's completion port. The port and key
 * come from CreateIoCompletionPort, which is replaced too, to note them. (Posting
 * a zero-length read instead was tried: now and then the read itself goes pending
 * on the pty and no packet ever comes.) Only EV_RXCHAR is watched. CancelIo, which
 * QSerialPort calls before it frees the wait's OVERLAPPED, retires the watcher, as
 * Windows ends a cancelled wait: one that completed later wrote into freed memory and,
 * once in some hundred port closes, crashed the program in the heap. */
#include <windows.h>
#include <winternl.h>

#ifndef STATUS_DEVICE_REMOVED
#define STATUS_DEVICE_REMOVED ((NTSTATUS)0xC00002B6)
#endif
#ifndef IOCTL_SERIAL_WAIT_ON_MASK
#define IOCTL_SERIAL_WAIT_ON_MASK CTL_CODE(FILE_DEVICE_SERIAL_PORT, 18, METHOD_BUFFERED, FILE_ANY_ACCESS)
#endif

typedef NTSTATUS(NTAPI *NtCreateIoCompletionFn)(HANDLE *, ACCESS_MASK, void *, ULONG);
typedef NTSTATUS(NTAPI *NtSetInformationFileFn)(HANDLE, IO_STATUS_BLOCK *, void *, ULONG, FILE_INFORMATION_CLASS);
typedef ULONG(NTAPI *RtlNtStatusToDosErrorFn)(NTSTATUS);
typedef NTSTATUS(NTAPI *NtCancelIoFileFn)(HANDLE, IO_STATUS_BLOCK *);
typedef NTSTATUS(NTAPI *NtSetIoCompletionFn)(HANDLE, ULONG_PTR, ULONG_PTR, NTSTATUS, SIZE_T);

static NtCreateIoCompletionFn ntCreateIoCompletion;
static NtSetInformationFileFn ntSetInformationFile;
static RtlNtStatusToDosErrorFn rtlNtStatusToDosError;
static NtCancelIoFileFn ntCancelIoFile;
static NtSetIoCompletionFn ntSetIoCompletion;

struct CompletionBinding { /* FILE_COMPLETION_INFORMATION */
    HANDLE port;
    ULONG_PTR key;
};

/* One slot per handle value: the completion port it is bound to, and a count of
 * its waits. A newer wait on the same handle value (or a reopened port that got it)
 * retires an older watcher, so one wait gets at most one completion. */
#define SLOTS 16
static struct Slot {
    HANDLE handle;
    LONG generation;
    HANDLE iocp;
    ULONG_PTR key;
} slots[SLOTS];
static CRITICAL_SECTION slotLock;

/* Call with slotLock held. */
static struct Slot *slotFor(HANDLE handle)
{
    int free = -1, i;
    for (i = 0; i < SLOTS && slots[i].handle != handle; ++i)
        if (free < 0 && !slots[i].handle)
            free = i;
    if (i == SLOTS) {
        i = free >= 0 ? free : (int)(((ULONG_PTR)handle >> 2) % SLOTS);
        slots[i].handle = handle;
        slots[i].iocp = NULL;
    }
    return &slots[i];
}

static LONG nextGeneration(HANDLE port, LONG **cell)
{
    EnterCriticalSection(&slotLock);
    struct Slot *slot = slotFor(port);
    LONG g = ++slot->generation;
    *cell = &slot->generation;
    LeaveCriticalSection(&slotLock);
    return g;
}

/* kernelbase's CreateIoCompletionPort, which also notes the binding of a handle. */
static HANDLE WINAPI createIoCompletionPort(HANDLE handle, HANDLE existing, ULONG_PTR key, DWORD threads)
{
    HANDLE iocp = existing;
    NTSTATUS status;
    if (!existing) {
        if ((status = ntCreateIoCompletion(&iocp, IO_COMPLETION_ALL_ACCESS, NULL, threads))) {
            SetLastError(rtlNtStatusToDosError(status));
            return NULL;
        }
    } else if (handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    if (handle == INVALID_HANDLE_VALUE)
        return iocp;
    struct CompletionBinding info = {iocp, key};
    IO_STATUS_BLOCK io;
    if ((status = ntSetInformationFile(handle, &io, &info, sizeof info, FileCompletionInformation))) {
        if (!existing)
            CloseHandle(iocp);
        SetLastError(rtlNtStatusToDosError(status));
        return NULL;
    }
    EnterCriticalSection(&slotLock);
    struct Slot *slot = slotFor(handle);
    slot->iocp = iocp;
    slot->key = key;
    LeaveCriticalSection(&slotLock);
    return iocp;
}

struct Wait {
    HANDLE port;
    DWORD *events;
    OVERLAPPED *ov;
    LONG *generation;
    LONG mine;
};

/* Under the lock, and only while the wait is current: once CancelIo has retired it,
 * its OVERLAPPED may be freed memory. A status other than 0 (STATUS_SUCCESS) ends
 * the wait as failed, and its packet carries that status. */
static void complete(struct Wait *w, DWORD events, NTSTATUS status)
{
    EnterCriticalSection(&slotLock);
    if (*w->generation == w->mine) {
        struct Slot *slot = slotFor(w->port);
        HANDLE event = (HANDLE)((ULONG_PTR)w->ov->hEvent & ~(ULONG_PTR)1);
        BOOL noPacket = ((ULONG_PTR)w->ov->hEvent & 1) != 0;
        ULONG_PTR done = status ? 0 : sizeof(DWORD);
        if (!status)
            *w->events = events;
        w->ov->InternalHigh = done;
        w->ov->Internal = (ULONG_PTR)status; /* for GetOverlappedResult */
        if (event)
            SetEvent(event);
        if (slot->iocp && !noPacket)
            ntSetIoCompletion(slot->iocp, slot->key, (ULONG_PTR)w->ov, status, done);
    }
    LeaveCriticalSection(&slotLock);
}

/* kernelbase's CancelIo, which also retires the handle's wait. QSerialPort cancels
 * before it frees the OVERLAPPED and closes the port; a watcher that completed the
 * wait after that would write into freed memory. */
static BOOL WINAPI cancelIo(HANDLE handle)
{
    EnterCriticalSection(&slotLock);
    ++slotFor(handle)->generation;
    LeaveCriticalSection(&slotLock);
    IO_STATUS_BLOCK io;
    NTSTATUS status = ntCancelIoFile(handle, &io);
    if (status) {
        SetLastError(rtlNtStatusToDosError(status));
        return FALSE;
    }
    return TRUE;
}

static DWORD WINAPI watch(void *arg)
{
    struct Wait *w = arg;
    for (;;) {
        DWORD mask, errors;
        COMSTAT stat;
        if (InterlockedCompareExchange(w->generation, 0, 0) != w->mine || !GetCommMask(w->port, &mask))
            break;   /* superseded, or the handle was closed */
        /* A new mask ends a pending wait with no events. */
        if (!(mask & EV_RXCHAR)) {
            complete(w, 0, 0);
            break;
        }
        /* A failing device (the pty hung up: its other end closed) fails the wait as
         * Windows fails pending I/O on a removed device. Wine alone reports nothing:
         * its reads of the hung-up terminal stay pending, and the program never learns
         * that the port has gone. */
        if (!ClearCommError(w->port, &errors, &stat)) {
            complete(w, 0, STATUS_DEVICE_REMOVED);
            break;
        }
        if (stat.cbInQue) {
            complete(w, EV_RXCHAR, 0);
            break;
        }
        Sleep(1);
    }
    HeapFree(GetProcessHeap(), 0, w);
    return 0;
}

static BOOL WINAPI waitCommEvent(HANDLE port, DWORD *events, OVERLAPPED *ov)
{
    DWORD got;
    if (!ov)
        return DeviceIoControl(port, IOCTL_SERIAL_WAIT_ON_MASK, NULL, 0, events, sizeof *events,
                               &got, NULL);
    struct Wait *w = HeapAlloc(GetProcessHeap(), 0, sizeof *w);
    if (!w) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    w->port = port;
    w->events = events;
    w->ov = ov;
    w->mine = nextGeneration(port, &w->generation);
    ov->Internal = (ULONG_PTR)0x103; /* STATUS_PENDING */
    ov->InternalHigh = 0;
    HANDLE thread = CreateThread(NULL, 0, watch, w, 0, NULL);
    if (!thread) {
        HeapFree(GetProcessHeap(), 0, w);
        return FALSE;
    }
    CloseHandle(thread);
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

/* Overwrites the start of from with "mov rax, to; jmp rax". */
static BOOL redirect(FARPROC from, FARPROC to)
{
    unsigned char code[12] = {0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};
    void *fn;
    DWORD old;
    memcpy(code + 2, &to, sizeof to);
    memcpy(&fn, &from, sizeof fn);
    if (!fn || !VirtualProtect(fn, sizeof code, PAGE_EXECUTE_READWRITE, &old))
        return FALSE;
    memcpy(fn, code, sizeof code);
    VirtualProtect(fn, sizeof code, old, &old);
    FlushInstructionCache(GetCurrentProcess(), fn, sizeof code);
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void *reserved)
{
    (void)self;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    InitializeCriticalSection(&slotLock);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    ntCreateIoCompletion = (NtCreateIoCompletionFn)(void (*)(void))GetProcAddress(ntdll, "NtCreateIoCompletion");
    ntSetInformationFile = (NtSetInformationFileFn)(void (*)(void))GetProcAddress(ntdll, "NtSetInformationFile");
    rtlNtStatusToDosError =
        (RtlNtStatusToDosErrorFn)(void (*)(void))GetProcAddress(ntdll, "RtlNtStatusToDosError");
    ntCancelIoFile = (NtCancelIoFileFn)(void (*)(void))GetProcAddress(ntdll, "NtCancelIoFile");
    ntSetIoCompletion = (NtSetIoCompletionFn)(void (*)(void))GetProcAddress(ntdll, "NtSetIoCompletion");
    if (!ntCreateIoCompletion || !ntSetInformationFile || !rtlNtStatusToDosError || !ntCancelIoFile ||
        !ntSetIoCompletion)
        return FALSE;
    static const struct {
        const char *name;
        FARPROC mine;
    } replaced[] = {
        {"WaitCommEvent", (FARPROC)(void (*)(void))waitCommEvent},
        {"CreateIoCompletionPort", (FARPROC)(void (*)(void))createIoCompletionPort},
        {"CancelIo", (FARPROC)(void (*)(void))cancelIo},
    };
    for (size_t i = 0; i < sizeof replaced / sizeof replaced[0]; ++i) {
        FARPROC base = GetProcAddress(kernelbase, replaced[i].name);
        FARPROC k32 = GetProcAddress(kernel32, replaced[i].name);
        if (!redirect(base, replaced[i].mine))
            return FALSE;
        if (k32 && k32 != base && !redirect(k32, replaced[i].mine))
            return FALSE;
    }
    return TRUE;
}
