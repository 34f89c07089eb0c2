// The DUT's BUSY handshake: which status pin carries it, at which level it
// means busy, level or edge sync, and the poll limit of a register cycle.
#include <cstdint>

#include "library/connector_pins.h"
#include "library/library.h"

namespace olvbus {

bool Library::Set_DUT_BUSY_Pin(std::int32_t pin, std::int32_t busyActiveHigh)
{
    state_.busyMask = 0;
    state_.busyState1 = 0;
    state_.busyState2 = 0;
    const ConnectorPin* found = FindConnectorPin(pin, PinRegister::kStatus);
    if (found == nullptr) {
        return false;
    }
    // Ready is BUSY's inactive level; the value the waits compare is that
    // level as the status register presents it.
    const bool readyPinHigh = (busyActiveHigh & 0xFF) == 0;
    const bool readyBitSet = readyPinHigh != found->inverted;
    state_.busyMask = found->bit;
    state_.busyState2 = readyBitSet ? found->bit : 0;
    state_.busyState1 = state_.busyState2;
    return true;
}

bool Library::Set_DUT_BUSY_LevelSync()
{
    state_.busyState1 = state_.busyState2;
    return true;
}

// The first wait of each pair then looks for BUSY active, the second for it
// going inactive again: a busy-to-ready edge.
bool Library::Set_DUT_BUSY_EdgeSync()
{
    state_.busyState1 = static_cast<std::uint8_t>(state_.busyState2 ^ state_.busyMask);
    return true;
}

std::int32_t Library::Get_DUT_BUSY_MASK() const { return state_.busyMask; }
std::int32_t Library::Get_DUT_BUSY_STATE_1() const { return state_.busyState1; }
std::int32_t Library::Get_DUT_BUSY_STATE_2() const { return state_.busyState2; }

void Library::Set_DUT_BUSY_Timeout(std::int32_t timeout) { state_.busyTimeout = timeout; }
std::int32_t Library::Get_DUT_BUSY_Timeout() const { return state_.busyTimeout; }
void Library::Clear_DUT_BUSY_Highest_Count() { state_.busyHighestCount = 0; }
std::int32_t Library::Get_DUT_BUSY_Highest_Count() const { return state_.busyHighestCount; }

}  // namespace olvbus
