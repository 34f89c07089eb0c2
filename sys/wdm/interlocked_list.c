/*
 * The debug-print queue's list operations, each under the queue's spin lock
 * as one kernel call: ExfInterlockedInsertTailList and
 * ExfInterlockedRemoveHeadList on i686, their ExInterlocked forms on x86_64
 * (the DDK header picks). The remove returns null when the list is empty.
 */
#include <ntddk.h>

#include "sys/wdm/wdm_bridge.h"

void OlvWdmInsertTailList(void* head, void* entry, uintptr_t* lock)
{
    ExInterlockedInsertTailList((PLIST_ENTRY)head, (PLIST_ENTRY)entry, (PKSPIN_LOCK)lock);
}

void* OlvWdmRemoveHeadList(void* head, uintptr_t* lock)
{
    return ExInterlockedRemoveHeadList((PLIST_ENTRY)head, (PKSPIN_LOCK)lock);
}
