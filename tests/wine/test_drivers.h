/* What the Wine test program and the test-only drivers agree on. */
#ifndef OLVBUS_WINE_TEST_DRIVERS_H
#define OLVBUS_WINE_TEST_DRIVERS_H

#define VYR_TEST_LINK_NAME "\\\\.\\VyrDebugPrintTest"

/* The substitute debug-print driver's reader device: METHOD_BUFFERED,
 * FILE_DEVICE_UNKNOWN. */
#define VYR_TEST_TAKE_RECORDS 0x222400 /* out: u16 length, record bytes; repeated; consumed */
#define VYR_TEST_OPEN_PARAMETERS 0x222404 /* out: 5 x u32, see below */
#define VYR_TEST_COUNT_WRITES 0x222408 /* out: u32, writes received so far */

/* The parameters of the last open that named no file (the client's). */
typedef struct VyrTestOpenParameters {
    unsigned int opens;
    unsigned int desiredAccess;
    unsigned int shareAccess;
    unsigned int options; /* disposition << 24 | create options */
    unsigned int fileAttributes;
} VyrTestOpenParameters;

/* The minimal benchmark driver: completes every device control at once. */
#define BENCH_LINK_NAME "\\\\.\\OlvexBench"

#endif
