// Takes typed values off the front of a fuzzer's input; past the end every
// value is 0, so any input decodes to some sequence of calls.
#ifndef OLVBUS_FUZZ_INPUT_H
#define OLVBUS_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace olvbus::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return size_ == 0; }
    std::size_t Remaining() const { return size_; }

    template <typename T>
    T Take()
    {
        T value{};
        const std::size_t n = size_ < sizeof(T) ? size_ : sizeof(T);
        if (n > 0) {
            std::memcpy(&value, data_, n);
        }
        data_ += n;
        size_ -= n;
        return value;
    }

    // The integers that find faults: edges of every width the code uses,
    // or, half of the time, raw bits.
    std::int32_t TakeInt()
    {
        static constexpr std::int32_t kEdges[] = {INT32_MIN, -1, 0, 1, 2, 3, 4, 16, 17, 255, 256,
                                                   0x378, 0x379, 0x37A, 65535, 65536, INT32_MAX};
        const std::uint8_t selector = Take<std::uint8_t>();
        if (selector & 1) {
            return Take<std::int32_t>();
        }
        return kEdges[(selector >> 1) % (sizeof kEdges / sizeof kEdges[0])];
    }

    const std::uint8_t* Rest() const { return data_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace olvbus::fuzz

#endif  // OLVBUS_FUZZ_INPUT_H
