/*
 * The debug-print queue's list operations for the Wine test build. Wine's
 * kernel (8.0, x86_64) has no ExInterlockedInsertTailList (calling it aborts
 * the driver host), and its ExInterlockedRemoveHeadList hands back the list
 * head itself when the list is empty instead of null, which the writer
 * thread would take for a message. The same operations, built from the spin
 * lock and the list macros: what the interlocked routines do.
 */
#include <ntddk.h>

#include "sys/wdm/wdm_bridge.h"

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
