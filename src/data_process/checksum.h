#ifndef CHECKSUM_H
#define CHECKSUM_H

#include <cstdint>

// Wrapping sums the instrument frames use; both links offer them.
namespace checksum {

inline uint16_t sum_words(const uint16_t *words, uint16_t count)
{
    uint16_t sum = 0;
    for (uint16_t i = 0; i < count; ++i)
        sum = uint16_t(sum + words[i]);
    return sum;
}

inline uint8_t sum_bytes(const uint8_t *bytes, uint16_t count)
{
    uint8_t sum = 0;
    for (uint16_t i = 0; i < count; ++i)
        sum = uint8_t(sum + bytes[i]);
    return sum;
}

}

#endif
