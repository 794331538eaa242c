#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 with the reflected polynomial 0xEDB88320 (initial value and final xor 0xFFFFFFFF):
// Crc32("123456789", 9) == 0xCBF43926.
uint32_t Crc32(const void* data, size_t size);
