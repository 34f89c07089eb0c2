/*
 * What the debug-print queue calls for every message: the time stamp and the
 * list operations, each under the queue's spin lock as one kernel call.
 *
 * The list routines are ExfInterlockedInsertTailList and
 * ExfInterlockedRemoveHeadList on i686 and their ExInterlocked forms on
 * x86_64 (the DDK header picks); the remove returns null when the list is
 * empty. The time is KeQuerySystemTime on i686; on x86_64 the kernel defines
 * it as a read of the shared user data page, and the header does just that.
 */
#include <ntddk.h>

#include "sys/wdm/wdm_bridge.h"

int64_t OlvWdmQuerySystemTime(void)
{
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    return now.QuadPart;
}

void OlvWdmInsertTailList(void* head, void* entry, uintptr_t* lock)
{
    ExInterlockedInsertTailList((PLIST_ENTRY)head, (PLIST_ENTRY)entry, (PKSPIN_LOCK)lock);
}

void* OlvWdmRemoveHeadList(void* head, uintptr_t* lock)
{
    return ExInterlockedRemoveHeadList((PLIST_ENTRY)head, (PKSPIN_LOCK)lock);
}
