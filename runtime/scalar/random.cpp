// mwcrand, roll and deal. The generator is a multiply-with-carry generator of
// the "mother of all" kind: two streams of 16-bit values, each with a carry
// and eight lags, combined into one 32-bit word per call.
#include "runtime/scalar/random.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/tolerant.h"

namespace rt {

namespace {

// The two histories: position 0 is the carry, positions 1 to 9 the newest
// to the oldest value. Position 9 stays zero until the first shift fills it.
int16_t history1[10];
int16_t history2[10];
uint16_t firstuse = 1;

// Lag multipliers for positions 2 to 9 of each history.
constexpr uint32_t lags1[8] = {1941, 1860, 1812, 1776, 1492, 1215, 1066, 12013};
constexpr uint32_t lags2[8] = {1111, 2222, 3333, 4444, 5555, 6666, 7777, 9272};

// A 16-bit value read as signed, widened to a 32-bit word for wrapping sums.
uint32_t word(int16_t v) { return static_cast<uint32_t>(static_cast<int32_t>(v)); }

// The low 16 bits of a word, as the signed value the histories hold.
int16_t low16(uint32_t w) { return static_cast<int16_t>(static_cast<uint16_t>(w & 0xffffu)); }

// Fills positions 0 to 8 of both histories from the link with a simple
// 16-bit multiply-with-carry sequence.
void seed(int32_t link) {
  uint32_t s = static_cast<uint32_t>(link) & 0xffffu;
  uint32_t m = static_cast<uint32_t>(link) & 0x7fffffffu;
  for (int k = 0; k < 18; ++k) {
    m = 30903u * s + (m >> 16);
    s = m & 0xffffu;
    (k < 9 ? history1[k] : history2[k - 9]) = low16(s);
  }
  history1[0] = static_cast<int16_t>(history1[0] & 0x7fff);
  history2[0] = static_cast<int16_t>(history2[0] & 0x7fff);
}

// One step of one stream: shift the lags, form carry + sum of lag products
// in wrapping 32-bit arithmetic, and keep its halves as new carry and value.
void step(int16_t* h, const uint32_t* lags) {
  std::memmove(&h[2], &h[1], 8 * sizeof h[0]);
  uint32_t sum = word(h[0]);
  for (int k = 0; k < 8; ++k) sum += lags[k] * word(h[k + 2]);
  h[0] = low16(sum >> 16);
  h[1] = low16(sum);
}

}  // namespace

double mwcrand(int32_t* link) {
  if (firstuse != 0) {
    seed(*link);
    firstuse = 0;
  }
  step(history1, lags1);
  step(history2, lags2);
  uint32_t w = (word(history1[1]) << 16) + word(history2[1]);
  *link = static_cast<int32_t>(w);
  return w / 4294967295.0;
}

int32_t roll(int32_t n) {
  double r = mwcrand(&randomlink);
  int64_t k = trunc32(r * (static_cast<double>(n) - 1.0) + 0.5);
  return static_cast<int32_t>(k + indexorigin);  // wraps only for absurd origins
}

void deal(int32_t* values, int32_t count, int32_t n) {
  if (count < 0) rterror("[deal] domain error, count < 0");
  if (count > 0 && count > n) {
    std::fprintf(errstream, "count %d, n %d\n", count, n);
    rterror("[deal] domain error, count > n");
  }
  for (int32_t i = 0; i < count; ++i) {
    bool seen;
    do {
      values[i] = roll(n);
      seen = false;
      for (int32_t j = 0; j < i && !seen; ++j) seen = values[j] == values[i];
    } while (seen);
  }
}

void mwcreset() {
  std::memset(history1, 0, sizeof history1);
  std::memset(history2, 0, sizeof history2);
  firstuse = 1;
}

}  // namespace rt
