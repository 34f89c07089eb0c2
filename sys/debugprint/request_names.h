// The function names of a request, as the %I conversion prints them.
#ifndef OLVEXPIN_DEBUGPRINT_REQUEST_NAMES_H
#define OLVEXPIN_DEBUGPRINT_REQUEST_NAMES_H

#include <stdint.h>

namespace olvexpin {

// What %I needs of a request's current stack location. The kernel binding
// fills it from the IRP (MajorFunction, MinorFunction, Parameters.Power.Type
// and .State, Parameters.QueryDeviceRelations.Type); the fields that do not
// apply to the request's major function are left 0.
struct RequestCodes {
    uint8_t majorFunction;
    uint8_t minorFunction;
    uint32_t powerType;      // 0: a system power state, otherwise a device power state
    uint32_t powerState;
    uint32_t relationType;   // for IRP_MN_QUERY_DEVICE_RELATIONS
};

inline constexpr uint8_t kIrpMjCreate = 0x00;
inline constexpr uint8_t kIrpMjClose = 0x02;
inline constexpr uint8_t kIrpMjRead = 0x03;
inline constexpr uint8_t kIrpMjWrite = 0x04;
inline constexpr uint8_t kIrpMjDeviceControl = 0x0E;
inline constexpr uint8_t kIrpMjPower = 0x16;
inline constexpr uint8_t kIrpMjSystemControl = 0x17;
inline constexpr uint8_t kIrpMjPnp = 0x1B;

inline constexpr uint8_t kIrpMnRemoveDevice = 0x02;
inline constexpr uint8_t kIrpMnQueryDeviceRelations = 0x07;
inline constexpr uint8_t kIrpMnSetPower = 0x02;
inline constexpr uint8_t kIrpMnQueryPower = 0x03;

// Each table's row n names code n; a code at or past the row count has no
// name. Null is returned for those.
const char* MajorFunctionName(uint32_t code);
const char* PnpMinorName(uint32_t code);
const char* PowerMinorName(uint32_t code);
const char* WmiMinorName(uint32_t code);
const char* SystemPowerStateName(uint32_t state);
const char* DevicePowerStateName(uint32_t state);
const char* DeviceRelationName(uint32_t type);

}  // namespace olvexpin

#endif  // OLVEXPIN_DEBUGPRINT_REQUEST_NAMES_H
