#include <olvbus.h>

#include <cstring>

int main()
{
    return std::strstr(Get_OLVBUS_DLL_Version(), "OlvBus.dll compiled") != nullptr ? 0 : 1;
}
