// dpreader: prints a captured debug-print record stream one message a line.
//
//   dpreader [FILE]     reads FILE, or standard input when none is given
//
// Exit status 0 when the whole stream decoded, 1 when it ended inside a
// record (the cut is reported on standard error), 2 when FILE cannot be read.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "tools/dpreader/record_stream.h"

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::cerr << "usage: dpreader [FILE]\n";
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (argc == 2) {
        std::ifstream file(argv[1], std::ios::binary);
        if (!file) {
            std::cerr << "dpreader: cannot open " << argv[1] << "\n";
            return 2;
        }
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else {
        std::cin >> std::noskipws;
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    const olvbus::dpreader::DecodedStream decoded = olvbus::dpreader::DecodeRecordStream(bytes);
    for (const auto& record : decoded.records) {
        std::cout << olvbus::dpreader::FormatRecordLine(record) << '\n';
    }
    if (decoded.trailingBytes != 0) {
        std::cerr << "dpreader: stream ends inside a record (" << decoded.trailingBytes
                  << " bytes left over)\n";
        return 1;
    }
    return 0;
}
