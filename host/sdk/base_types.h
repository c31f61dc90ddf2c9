#pragma once
// Integer and boolean vocabulary of the host interface.
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using UBYTE = std::uint8_t;
using WORD = std::uint16_t;
using UWORD = std::uint16_t;
using USHORT = std::uint16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using MCHAR = char;
using TCHAR = char;
using TimeValue = int;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr TimeValue TIME_NegInfinity = static_cast<TimeValue>(0x80000000u);
constexpr TimeValue TIME_PosInfinity = 0x7fffffff;
