// The one-dimensional Modified Huffman run-length codes of ITU-T T.4, as the
// Recommendation prints them, and the lookup tables the row decoder indexes
// with the leading bits of its bit window.
#ifndef TAV_TIFF_MH_CODES_H
#define TAV_TIFF_MH_CODES_H

#include <stdint.h>

namespace mh {

// One row of Tables 2 and 3a: a run length and its white and black code
// words.
struct CodeRow {
  uint16_t run;
  const char* white;
  const char* black;
};

// One row of Table 3b: a run length and the code word of both colours.
struct SharedCodeRow {
  uint16_t run;
  const char* code;
};

// clang-format off

// Table 2/T.4 – Terminating codes
constexpr CodeRow kTerminatingCodes[64] = {
    // run   white code   black code
    {0,    "00110101",  "0000110111"},
    {1,    "000111",    "010"},
    {2,    "0111",      "11"},
    {3,    "1000",      "10"},
    {4,    "1011",      "011"},
    {5,    "1100",      "0011"},
    {6,    "1110",      "0010"},
    {7,    "1111",      "00011"},
    {8,    "10011",     "000101"},
    {9,    "10100",     "000100"},
    {10,   "00111",     "0000100"},
    {11,   "01000",     "0000101"},
    {12,   "001000",    "0000111"},
    {13,   "000011",    "00000100"},
    {14,   "110100",    "00000111"},
    {15,   "110101",    "000011000"},
    {16,   "101010",    "0000010111"},
    {17,   "101011",    "0000011000"},
    {18,   "0100111",   "0000001000"},
    {19,   "0001100",   "00001100111"},
    {20,   "0001000",   "00001101000"},
    {21,   "0010111",   "00001101100"},
    {22,   "0000011",   "00000110111"},
    {23,   "0000100",   "00000101000"},
    {24,   "0101000",   "00000010111"},
    {25,   "0101011",   "00000011000"},
    {26,   "0010011",   "000011001010"},
    {27,   "0100100",   "000011001011"},
    {28,   "0011000",   "000011001100"},
    {29,   "00000010",  "000011001101"},
    {30,   "00000011",  "000001101000"},
    {31,   "00011010",  "000001101001"},
    {32,   "00011011",  "000001101010"},
    {33,   "00010010",  "000001101011"},
    {34,   "00010011",  "000011010010"},
    {35,   "00010100",  "000011010011"},
    {36,   "00010101",  "000011010100"},
    {37,   "00010110",  "000011010101"},
    {38,   "00010111",  "000011010110"},
    {39,   "00101000",  "000011010111"},
    {40,   "00101001",  "000001101100"},
    {41,   "00101010",  "000001101101"},
    {42,   "00101011",  "000011011010"},
    {43,   "00101100",  "000011011011"},
    {44,   "00101101",  "000001010100"},
    {45,   "00000100",  "000001010101"},
    {46,   "00000101",  "000001010110"},
    {47,   "00001010",  "000001010111"},
    {48,   "00001011",  "000001100100"},
    {49,   "01010010",  "000001100101"},
    {50,   "01010011",  "000001010010"},
    {51,   "01010100",  "000001010011"},
    {52,   "01010101",  "000000100100"},
    {53,   "00100100",  "000000110111"},
    {54,   "00100101",  "000000111000"},
    {55,   "01011000",  "000000100111"},
    {56,   "01011001",  "000000101000"},
    {57,   "01011010",  "000001011000"},
    {58,   "01011011",  "000001011001"},
    {59,   "01001010",  "000000101011"},
    {60,   "01001011",  "000000101100"},
    {61,   "00110010",  "000001011010"},
    {62,   "00110011",  "000001100110"},
    {63,   "00110100",  "000001100111"},
};

// Table 3a/T.4 – Make-up codes
constexpr CodeRow kMakeUpCodes[27] = {
    // run   white code   black code
    {64,   "11011",     "0000001111"},
    {128,  "10010",     "000011001000"},
    {192,  "010111",    "000011001001"},
    {256,  "0110111",   "000001011011"},
    {320,  "00110110",  "000000110011"},
    {384,  "00110111",  "000000110100"},
    {448,  "01100100",  "000000110101"},
    {512,  "01100101",  "0000001101100"},
    {576,  "01101000",  "0000001101101"},
    {640,  "01100111",  "0000001001010"},
    {704,  "011001100", "0000001001011"},
    {768,  "011001101", "0000001001100"},
    {832,  "011010010", "0000001001101"},
    {896,  "011010011", "0000001110010"},
    {960,  "011010100", "0000001110011"},
    {1024, "011010101", "0000001110100"},
    {1088, "011010110", "0000001110101"},
    {1152, "011010111", "0000001110110"},
    {1216, "011011000", "0000001110111"},
    {1280, "011011001", "0000001010010"},
    {1344, "011011010", "0000001010011"},
    {1408, "011011011", "0000001010100"},
    {1472, "010011000", "0000001010101"},
    {1536, "010011001", "0000001011010"},
    {1600, "010011010", "0000001011011"},
    {1664, "011000",    "0000001100100"},
    {1728, "010011011", "0000001100101"},
};

// Table 3b/T.4 – Make-up codes (extended): the same code words for white and
// black runs
constexpr SharedCodeRow kExtendedMakeUpCodes[13] = {
    // run   code word
    {1792, "00000001000"},
    {1856, "00000001100"},
    {1920, "00000001101"},
    {1984, "000000010010"},
    {2048, "000000010011"},
    {2112, "000000010100"},
    {2176, "000000010101"},
    {2240, "000000010110"},
    {2304, "000000010111"},
    {2368, "000000011100"},
    {2432, "000000011101"},
    {2496, "000000011110"},
    {2560, "000000011111"},
};

// clang-format on

// Lookup tables: the entry at the leading kWhiteBits (kBlackBits) bits of a
// window holds the run of the code that begins there, shifted left by 4,
// with the code's length in the low 4 bits. An entry of 0 is the stop: the
// window begins with eight zero bits, where no code of either colour begins.
// The codes of each colour together with that stop cover every bit pattern.
constexpr int kWhiteBits = 12;
constexpr int kBlackBits = 13;

template <int Bits> struct LookupTable { uint16_t entries[1 << Bits]; };

constexpr int CodeLength(const char* bits) {
  int n = 0;
  while (bits[n] != 0)
    ++n;
  return n;
}

template <int Bits> constexpr void AddCode(LookupTable<Bits>& table, uint16_t run, const char* bits) {
  int length = CodeLength(bits);
  int value = 0;
  for (int i = 0; i < length; ++i)
    value = value * 2 + (bits[i] - '0');
  int first = value << (Bits - length);
  for (int i = 0; i < 1 << (Bits - length); ++i)
    table.entries[first + i] = uint16_t(run << 4 | length);
}

// The lookup table of the white runs (white true) or of the black runs.
template <int Bits> constexpr LookupTable<Bits> BuildTable(bool white) {
  LookupTable<Bits> table{};
  for (const CodeRow& row : kTerminatingCodes)
    AddCode(table, row.run, white ? row.white : row.black);
  for (const CodeRow& row : kMakeUpCodes)
    AddCode(table, row.run, white ? row.white : row.black);
  for (const SharedCodeRow& row : kExtendedMakeUpCodes)
    AddCode(table, row.run, row.code);
  return table;
}

} // namespace mh

#endif
