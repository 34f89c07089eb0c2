/*
 * What the debug-print queue calls for every message, for the Wine test
 * build, where the driver runs in a user-mode host.
 *
 * Lists: Wine's kernel (8.0, x86_64) has no ExInterlockedInsertTailList
 * (calling it aborts the driver host), and its ExInterlockedRemoveHeadList
 * hands back the list head itself when the list is empty instead of null,
 * which the writer thread would take for a message. The same operations are
 * built here from the spin lock and the list macros, which is what the
 * interlocked routines do.
 *
 * Time: the shipping x86_64 build reads the kernel's shared data page, which
 * a user-mode host can only emulate by catching the fault of every read.
 * Wine exports KeQuerySystemTime, the routine the i686 driver calls; it is
 * looked up once, because the x86_64 import library does not list it.
 */
#include <ntddk.h>

#include "sys/wdm/wdm_bridge.h"

typedef VOID(NTAPI* QuerySystemTimeRoutine)(PLARGE_INTEGER);

static QuerySystemTimeRoutine querySystemTime;

int64_t OlvWdmQuerySystemTime(void)
{
    LARGE_INTEGER now;
    QuerySystemTimeRoutine routine = __atomic_load_n(&querySystemTime, __ATOMIC_ACQUIRE);
    if (routine == NULL) {
        UNICODE_STRING name;
        RtlInitUnicodeString(&name, L"KeQuerySystemTime");
        routine = (QuerySystemTimeRoutine)MmGetSystemRoutineAddress(&name);
        if (routine == NULL) {
            KeQuerySystemTime(&now);  /* the shared data page after all */
            return now.QuadPart;
        }
        __atomic_store_n(&querySystemTime, routine, __ATOMIC_RELEASE);
    }
    routine(&now);
    return now.QuadPart;
}

void OlvWdmInsertTailList(void* head, void* entry, uintptr_t* lock)
{
    KIRQL previous;
    KeAcquireSpinLock((PKSPIN_LOCK)lock, &previous);
    InsertTailList((PLIST_ENTRY)head, (PLIST_ENTRY)entry);
    KeReleaseSpinLock((PKSPIN_LOCK)lock, previous);
}

void* OlvWdmRemoveHeadList(void* head, uintptr_t* lock)
{
    KIRQL previous;
    PLIST_ENTRY entry = NULL;
    KeAcquireSpinLock((PKSPIN_LOCK)lock, &previous);
    if (!IsListEmpty((PLIST_ENTRY)head)) {
        entry = RemoveHeadList((PLIST_ENTRY)head);
    }
    KeReleaseSpinLock((PKSPIN_LOCK)lock, previous);
    return entry;
}
