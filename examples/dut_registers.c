/* The board's registers from C: wire the DUT bus as the evaluation board is
 * wired, write a few registers, read them back and check them, then print
 * the call trace. Exits 1 when a cycle fails or a register reads back wrong.
 *
 * On the simulated PC, plug a board in first:
 *   OLVBUS_SIM_DUT=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=2 ./dut_registers */
#include <stdio.h>

#include "olvbus.h"

struct Setting {
    int32_t address;
    int32_t value;
};

static const struct Setting kSettings[] = {
    {0x00, 0x5A}, /* scratch */
    {0x01, 0x80}, /* soft reset released */
    {0x02, 0x03}, /* clock divider */
};

int main(void)
{
    if (Select_LPT_123(1) == 0) {
        fprintf(stderr, "LPT1 cannot be opened\n");
        return 1;
    }
    Set_Control(0x00); /* every strobe released: pins 1, 14, 17 high, 16 low */

    /* WR and RD active low on pins 1 and 14, ADDR active high on 16, CS active
     * low on 17; BUSY comes back on pin 11, high while busy. */
    if (!Set_DUT_WR_Pin(1, 0) || !Set_DUT_RD_Pin(14, 0) || !Set_DUT_ADDR_Pin(16, 1) ||
        !Set_DUT_CS_Pin(17, 0) || !Set_DUT_BUSY_Pin(11, 1)) {
        fprintf(stderr, "a strobe pin was refused\n");
        return 1;
    }
    Set_DUT_BUSY_Timeout(1000);

    Trace_Begin();
    size_t count = sizeof kSettings / sizeof kSettings[0];
    for (size_t i = 0; i < count; ++i) {
        if (!Try_DUT_Register_Write(kSettings[i].address, kSettings[i].value)) {
            fprintf(stderr, "write 0x%02X: no answer from the board\n", (unsigned)kSettings[i].address);
            return 1;
        }
    }
    int failures = 0;
    for (size_t i = 0; i < count; ++i) {
        int32_t value = -1;
        if (!Try_DUT_Register_Read(kSettings[i].address, &value)) {
            fprintf(stderr, "read 0x%02X: no answer from the board\n", (unsigned)kSettings[i].address);
            return 1;
        }
        printf("reg 0x%02X = 0x%02X%s\n", (unsigned)kSettings[i].address, (unsigned)value,
               value == kSettings[i].value ? "" : "  (wrong)");
        failures += value != kSettings[i].value;
    }
    Trace_End();
    printf("call trace:%s\n", Get_Trace_Buffer());
    printf("highest poll count at a time-out: %d\n", (int)Get_DUT_BUSY_Highest_Count());
    return failures == 0 ? 0 : 1;
}
