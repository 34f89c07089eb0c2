#include <olvbus.h>
#include <stdio.h>

int main(void)
{
    olvbus_bool ok = (olvbus_bool)(Select_LPT_123(1) == 0x378);
    printf("%d\n", ok);
    return ok ? 0 : 1;
}
