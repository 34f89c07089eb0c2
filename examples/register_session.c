/* A short session at the bench, through the library's C interface: select
 * LPT1, drive the data lines, release them and read them back, look at the
 * status lines, then print the call trace. */
#include <stdio.h>

#include "olvbus.h"

int main(void)
{
    printf("%s\n\n", Get_OLVBUS_DLL_Version());
    Trace_Begin();

    int32_t base = Select_LPT_123(1);
    if (base == 0) {
        printf("no port: %s\n", Get_Trace_Buffer());
        return 1;
    }
    printf("LPT1 at 0x%03X, %s\n", (unsigned)base, Get_OLVBUS_DLL_Version());

    Set_Control(0x04);              /* nInit high, the other strobes released */
    Set_Data(0xA5);
    printf("data driven:   0x%02X\n", (unsigned)Get_Data());
    Set_Data_Enable(0);             /* let go of the data lines */
    printf("data released: 0x%02X (nobody drives them: pulled high)\n", (unsigned)Get_Data());
    Set_Data_Enable(1);
    printf("status:        0x%02X\n", (unsigned)Get_Status());
    printf("control:       0x%02X\n", (unsigned)Get_Control());

    Trace_End();
    printf("\ncall trace:%s\n", Get_Trace_Buffer());
    return 0;
}
