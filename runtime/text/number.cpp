// The shared number syntax: sign, collection into the token buffer, and the
// growing list of numbers read.
#include "runtime/text/number.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "runtime/core/error.h"

namespace rt {

char numtoken[numtokensize];

namespace {

bool isdigit(int c) { return c >= '0' && c <= '9'; }

// Appends to numtoken, remembering instead of writing what does not fit.
struct TokenWriter {
  int32_t length = 0;
  bool full = false;
  void put(int c) {
    if (length < numtokensize - 1)
      numtoken[length++] = static_cast<char>(c);
    else
      full = true;
  }
};

// Collects a run of digits; returns the character after it, got and unread.
int digits(CharSource& src, TokenWriter& w, int32_t* count) {
  int c = src.get();
  while (isdigit(c)) {
    w.put(c);
    ++*count;
    c = src.get();
  }
  return c;
}

// Whether the integer text in numtoken fits 32 bits.
bool fitsint(int32_t length) {
  int32_t v;
  auto [end, err] = std::from_chars(numtoken, numtoken + length, v);
  return err == std::errc() && end == numtoken + length;
}

}  // namespace

bool takesign(CharSource& src) {
  int c = src.get();
  if (c == '-' || c == '_') return true;
  if (c == '.') {
    int n = src.get();
    if (n == 'n') {
      int g = src.get();
      if (g == 'g') return true;
      src.unget(g);
    }
    src.unget(n);
  }
  src.unget(c);
  return false;
}

NumScan collectnumber(CharSource& src, bool negative) {
  TokenWriter w;
  if (negative) w.put('-');
  int32_t count = 0;  // digits before and after the point
  bool real = false;
  int c = digits(src, w, &count);
  if (c == '.') {
    // A point with no digit on either side is no number: leave it unread.
    int next = src.get();
    src.unget(next);
    if (count == 0 && !isdigit(next)) {
      src.unget(c);
      numtoken[0] = '\0';
      return {0, false};
    }
    w.put('.');
    real = true;
    c = digits(src, w, &count);
  }
  if (count > 0 && (c == 'e' || c == 'E')) {
    w.put('e');
    real = true;
    if (takesign(src)) {
      w.put('-');
    } else {
      int s = src.get();
      if (s == '+')
        w.put('+');
      else
        src.unget(s);
    }
    int32_t exponent = 0;
    c = digits(src, w, &exponent);
  }
  src.unget(c);
  bool kept = !w.full && count > 0;
  numtoken[kept ? w.length : 0] = '\0';
  if (!kept) return {0, w.full};
  if (!real && !fitsint(w.length)) real = true;
  return {real ? Real : Int, false};
}

// The integer in numtoken, as atoi reads it. collectnumber kept it only
// when it fits 32 bits, so from_chars reads all of it to the same value.
static int32_t tokenint() {
  int32_t v = 0;
  std::size_t length = std::strlen(numtoken);
  auto [end, err] = std::from_chars(numtoken, numtoken + length, v);
  return err == std::errc() && end == numtoken + length ? v : std::atoi(numtoken);
}

// The real in numtoken, as atof reads it. Both round correctly, so
// from_chars gives the same double, several times faster; a value beyond
// the double range (which from_chars leaves unread) goes to atof.
static double tokenreal() {
  double v = 0;
  std::size_t length = std::strlen(numtoken);
  auto [end, err] = std::from_chars(numtoken, numtoken + length, v);
  return err == std::errc() ? v : std::atof(numtoken);
}

void numstart(NumList* list) {
  vectalloc(&list->value, 80, Real);
  list->type = Int;
  list->count = 0;
  list->capacity = 80;
}

// Turns the first n stored integers into reals in place, from the last to
// the first, so that no integer is overwritten before it is read. The bytes
// move through memcpy because the same storage is read as one type and
// written as another.
static void widen(void* value, int32_t n) {
  char* bytes = static_cast<char*>(value);
  for (int32_t k = n - 1; k >= 0; --k) {
    int32_t i;
    std::memcpy(&i, bytes + 4 * static_cast<std::size_t>(k), sizeof i);
    double r = i;
    std::memcpy(bytes + 8 * static_cast<std::size_t>(k), &r, sizeof r);
  }
}

void numstore(NumList* list, int32_t code) {
  if (list->count == list->capacity) {
    if (list->count == INT32_MAX) rterror("[numstore] count beyond the int range");
    list->capacity = list->capacity > INT32_MAX - 80 ? INT32_MAX : list->capacity + 80;
    vectrealloc(&list->value, list->capacity, list->type);
  }
  if (code == Real && list->type == Int) {
    vectrealloc(&list->value, list->capacity, Real);
    widen(list->value, list->count);
    list->type = Real;
  }
  if (list->type == Int)
    static_cast<int32_t*>(list->value)[list->count] = tokenint();
  else
    static_cast<double*>(list->value)[list->count] = code == Real ? tokenreal() : tokenint();
  ++list->count;
}

void numresult(NumList* list, Array* result) {
  *result = adoptvector(list->count == 0 ? Int : list->type, list->count, list->value);
  list->value = nullptr;
}

}  // namespace rt
