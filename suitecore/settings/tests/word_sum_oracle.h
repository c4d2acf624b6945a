// The word sum written out plainly, byte by byte, to check the stepwise one against.
#pragma once

#include <cstdint>
#include <string>

// The little-endian 32-bit words of the bytes added to sum; a partial last word counts with its
// missing high bytes as zero.
inline uint32_t WordSumOf(const std::string& bytes, uint32_t sum = 0)
{
    for (size_t i = 0; i < bytes.size(); i += 4)
    {
        uint32_t word = 0;
        for (size_t k = 0; k < 4 && i + k < bytes.size(); ++k)
            word |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + k])) << (8 * k);
        sum += word;
    }
    return sum;
}
