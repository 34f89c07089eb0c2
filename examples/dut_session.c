/* A session at the bench with a device under test on LPT1: assign the
 * strobes and BUSY as the board is wired, write a few registers and read them
 * back over the bus, then print the call trace.
 *
 * On the simulated PC the board is described by OLVBUS_SIM_DUT, e.g.
 *   OLVBUS_SIM_DUT=wr=1-,rd=14-,addr=16+,cs=17-,busy=11+,busypolls=2
 * and OLVBUS_SIM_VCD names the file that receives the waveform. */
#include <stdio.h>
#include <stdlib.h>

#include "olvbus.h"

int main(void)
{
    static const int32_t addresses[] = {0x12, 0x00, 0x7F, 0xFF};
    static const int32_t values[] = {0x34, 0xA5, 0x5A, 0x01};
    const int count = (int)(sizeof addresses / sizeof addresses[0]);
    const char* vcd = getenv("OLVBUS_SIM_VCD");
    int failures = 0;

    printf("%s\n\n", Get_OLVBUS_DLL_Version());
    if (Select_LPT_123(1) == 0) {
        printf("no port: %s\n", Get_Trace_Buffer());
        return 1;
    }

    /* The board: WR on pin 1 and RD on pin 14, both active low; ADDR on
     * pin 16 active high; CS on pin 17 active low; BUSY on pin 11, high while
     * busy. */
    if (!Set_DUT_WR_Pin(1, 0) || !Set_DUT_RD_Pin(14, 0) || !Set_DUT_ADDR_Pin(16, 1) ||
        !Set_DUT_CS_Pin(17, 0) || !Set_DUT_BUSY_Pin(11, 1)) {
        printf("pin assignment refused\n");
        return 1;
    }
    Set_DUT_BUSY_LevelSync();
    Set_DUT_BUSY_Timeout(1000);
    printf("control masks  Addr_Wr %02X/%02X  Addr_Idle %02X/%02X  Data_Wr %02X/%02X  Data_Rd %02X/%02X  Data_Idle %02X/%02X (OR/AND)\n",
           (unsigned)Get_DUT_Control_Addr_Wr_OR(), (unsigned)Get_DUT_Control_Addr_Wr_AND(),
           (unsigned)Get_DUT_Control_Addr_Idle_OR(), (unsigned)Get_DUT_Control_Addr_Idle_AND(),
           (unsigned)Get_DUT_Control_Data_Wr_OR(), (unsigned)Get_DUT_Control_Data_Wr_AND(),
           (unsigned)Get_DUT_Control_Data_Rd_OR(), (unsigned)Get_DUT_Control_Data_Rd_AND(),
           (unsigned)Get_DUT_Control_Data_Idle_OR(), (unsigned)Get_DUT_Control_Data_Idle_AND());
    printf("BUSY mask %02X, waiting for %02X then %02X, at most %d polls per cycle\n\n",
           (unsigned)Get_DUT_BUSY_MASK(), (unsigned)Get_DUT_BUSY_STATE_1(),
           (unsigned)Get_DUT_BUSY_STATE_2(), (int)Get_DUT_BUSY_Timeout());

    Trace_Begin();
    for (int i = 0; i < count; ++i) {
        if (!Try_DUT_Register_Write(addresses[i], values[i])) {
            printf("write of register 0x%02X failed\n", (unsigned)addresses[i]);
            ++failures;
        }
    }
    for (int i = 0; i < count; ++i) {
        int32_t value = -1;
        if (!Try_DUT_Register_Read(addresses[i], &value)) {
            printf("read of register 0x%02X failed\n", (unsigned)addresses[i]);
            ++failures;
        } else {
            printf("register 0x%02X: wrote 0x%02X, read back 0x%02X %s\n", (unsigned)addresses[i],
                   (unsigned)values[i], (unsigned)value, value == values[i] ? "ok" : "MISMATCH");
            failures += value != values[i];
        }
    }
    Trace_End();

    printf("\ncall trace:%s\n", Get_Trace_Buffer());
    printf("\ncontrol 0x%02X, highest BUSY count at a time-out %d\n", (unsigned)Get_Control(),
           (int)Get_DUT_BUSY_Highest_Count());
    if (vcd != NULL && vcd[0] != '\0') {
        printf("waveform of every port access: %s (open it with gtkwave)\n", vcd);
    }
    return failures == 0 ? 0 : 1;
}
