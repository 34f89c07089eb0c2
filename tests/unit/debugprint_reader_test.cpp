// The record reader: a captured stream back to one line per message.
#include <gtest/gtest.h>

#include "sys/debugprint/debugprint_record.h"
#include "tools/dpreader/record_stream.h"

namespace olvbus::dpreader {
namespace {

std::vector<std::uint8_t> Record(const olvexpin::TimeFields& time, const char* source, const char* text)
{
    const std::uint16_t n = olvexpin::RecordTextBytes(source);
    const std::uint16_t m = olvexpin::RecordTextBytes(text);
    std::vector<std::uint8_t> bytes(olvexpin::DebugPrintRecordLength(n, m));
    olvexpin::BuildDebugPrintRecord(bytes.data(), time, source, n, text, m);
    return bytes;
}

TEST(RecordReader, DecodesBackToBackRecordsIntoLines)
{
    std::vector<std::uint8_t> stream = Record({2002, 6, 30, 18, 23, 43, 7, 0}, "OlvexPinXA checked", "Close");
    const auto second = Record({2002, 7, 1, 0, 0, 1, 999, 1}, "OlvexPinXA checked", "tab\there \\ ok");
    stream.insert(stream.end(), second.begin(), second.end());

    const DecodedStream decoded = DecodeRecordStream(stream);
    ASSERT_EQ(decoded.records.size(), 2u);
    EXPECT_EQ(decoded.trailingBytes, 0u);
    EXPECT_EQ(FormatRecordLine(decoded.records[0]), "2002-06-30 18:23:43.007 [OlvexPinXA checked] Close");
    EXPECT_EQ(FormatRecordLine(decoded.records[1]),
              "2002-07-01 00:00:01.999 [OlvexPinXA checked] tab\\x09here \\x5C ok");
    EXPECT_EQ(decoded.records[1].weekday, 1);
}

// A capture cut anywhere inside the last record keeps the whole records
// before it and reports how much is left over.
TEST(RecordReader, ACutStreamKeepsTheWholeRecords)
{
    const auto one = Record({2002, 6, 30, 18, 23, 43, 0, 0}, "src", "first");
    const auto two = Record({2002, 6, 30, 18, 23, 44, 0, 0}, "src", "second");
    for (std::size_t cut = 1; cut < two.size(); ++cut) {
        std::vector<std::uint8_t> stream = one;
        stream.insert(stream.end(), two.begin(), two.begin() + static_cast<std::ptrdiff_t>(cut));
        const DecodedStream decoded = DecodeRecordStream(stream);
        ASSERT_EQ(decoded.records.size(), 1u) << "cut " << cut;
        EXPECT_EQ(decoded.records[0].text, "first");
        EXPECT_EQ(decoded.trailingBytes, cut);
    }
}

}  // namespace
}  // namespace olvbus::dpreader
