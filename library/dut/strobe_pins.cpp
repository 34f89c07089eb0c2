// Which control pin carries each DUT strobe, and the AND/OR masks of the five
// bus states that the register cycles step through.
#include <cstdint>

#include "library/connector_pins.h"
#include "library/library.h"

namespace olvbus {
namespace {

std::uint8_t Not8(unsigned value) { return static_cast<std::uint8_t>(~value & 0xFF); }

}  // namespace

bool Library::SetStrobePin(Strobe strobe, std::int32_t pin, std::int32_t activeHigh)
{
    const ConnectorPin* found = FindConnectorPin(pin, PinRegister::kControl);
    if (found == nullptr) {
        // The strobe is left unassigned; the masks keep describing the old
        // assignment until the next successful one.
        state_.setToAssert[strobe] = 0;
        state_.clearToAssert[strobe] = 0;
        return false;
    }
    // Callers pass a one-byte truth value; anything above the low byte is noise.
    const bool high = (activeHigh & 0xFF) != 0;
    const bool assertBySetting = high != found->inverted;
    state_.setToAssert[strobe] = assertBySetting ? found->bit : 0;
    state_.clearToAssert[strobe] = assertBySetting ? 0 : found->bit;
    RecomputeControlMasks();
    return true;
}

// A state that asserts a strobe ORs in its set-to-assert bit and ANDs out its
// clear-to-assert bit; releasing does the opposite. Only Data_Rd and
// Data_Idle touch the data-enable bits: the lines are released for the DUT to
// drive, and driven again when it has finished.
void Library::RecomputeControlMasks()
{
    const std::uint8_t* set = state_.setToAssert;
    const std::uint8_t* clr = state_.clearToAssert;
    const unsigned de = static_cast<unsigned>(state_.dataEnableMask) & 0xFF;
    const unsigned wr = kStrobeWr, rd = kStrobeRd, addr = kStrobeAddr, cs = kStrobeCs;
    ControlMasks& m = state_.controlMasks;

    m.addrIdleOr = static_cast<std::uint8_t>(set[cs] | set[addr] | clr[wr] | clr[rd]);
    m.addrIdleAnd = Not8(clr[cs] | clr[addr] | set[wr] | set[rd]);
    m.addrWrOr = static_cast<std::uint8_t>(set[cs] | set[addr] | set[wr] | clr[rd]);
    m.addrWrAnd = Not8(clr[cs] | clr[addr] | clr[wr] | set[rd]);
    m.dataIdleOr = static_cast<std::uint8_t>(set[cs] | clr[addr] | clr[wr] | clr[rd]);
    m.dataIdleAnd = Not8(clr[cs] | set[addr] | set[wr] | set[rd] | de);
    m.dataWrOr = static_cast<std::uint8_t>(set[cs] | clr[addr] | set[wr] | clr[rd]);
    m.dataWrAnd = Not8(clr[cs] | set[addr] | clr[wr] | set[rd]);
    m.dataRdOr = static_cast<std::uint8_t>(set[cs] | clr[addr] | clr[wr] | set[rd] | de);
    m.dataRdAnd = Not8(clr[cs] | set[addr] | set[wr] | clr[rd]);
}

bool Library::Set_DUT_WR_Pin(std::int32_t pin, std::int32_t activeHigh)
{
    return SetStrobePin(kStrobeWr, pin, activeHigh);
}

bool Library::Set_DUT_RD_Pin(std::int32_t pin, std::int32_t activeHigh)
{
    return SetStrobePin(kStrobeRd, pin, activeHigh);
}

bool Library::Set_DUT_ADDR_Pin(std::int32_t pin, std::int32_t activeHigh)
{
    return SetStrobePin(kStrobeAddr, pin, activeHigh);
}

bool Library::Set_DUT_CS_Pin(std::int32_t pin, std::int32_t activeHigh)
{
    return SetStrobePin(kStrobeCs, pin, activeHigh);
}

std::int32_t Library::Get_DUT_Control_Addr_Idle_OR() const { return state_.controlMasks.addrIdleOr; }
std::int32_t Library::Get_DUT_Control_Addr_Idle_AND() const { return state_.controlMasks.addrIdleAnd; }
std::int32_t Library::Get_DUT_Control_Addr_Wr_OR() const { return state_.controlMasks.addrWrOr; }
std::int32_t Library::Get_DUT_Control_Addr_Wr_AND() const { return state_.controlMasks.addrWrAnd; }
std::int32_t Library::Get_DUT_Control_Data_Idle_OR() const { return state_.controlMasks.dataIdleOr; }
std::int32_t Library::Get_DUT_Control_Data_Idle_AND() const { return state_.controlMasks.dataIdleAnd; }
std::int32_t Library::Get_DUT_Control_Data_Wr_OR() const { return state_.controlMasks.dataWrOr; }
std::int32_t Library::Get_DUT_Control_Data_Wr_AND() const { return state_.controlMasks.dataWrAnd; }
std::int32_t Library::Get_DUT_Control_Data_Rd_OR() const { return state_.controlMasks.dataRdOr; }
std::int32_t Library::Get_DUT_Control_Data_Rd_AND() const { return state_.controlMasks.dataRdAnd; }

}  // namespace olvbus
