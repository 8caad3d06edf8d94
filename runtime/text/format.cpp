// Format, DFormat and dfwidth.
//
// Every field is produced by snprintf into a buffer bounded by the field
// width and copied into the result as exactly w characters, so no number,
// however long its text, reaches past its field. A text longer than its
// field is shown as w asterisks.
#include "runtime/text/format.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/convert.h"
#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/tolerant.h"

namespace rt {

namespace {

// Supplies the fraction digits of an integer written with a positive
// precision; hence an integer precision may not exceed 20.
const char zeropad[] = "00000000000000000000";
constexpr int32_t maxintprecision = 20;

// The most fraction digits the exact decimal text of a double can have; the
// width check's report shows no more, as any further digits are zeros.
constexpr int64_t maxshowndigits = 1100;

// Lowers the print precision to 70 in the global, and gives the precision to
// work with: at least 1, so that every field has room for a digit.
int32_t boundprecision() {
  if (printprecision > maxprintprecision) printprecision = maxprintprecision;
  return printprecision < 1 ? 1 : printprecision;
}

// Writes one field of exactly w characters at dst: the printf text of fmt,
// right-aligned, or w asterisks when the text is longer than w.
[[gnu::format(printf, 3, 4)]] void putfield(char* dst, int32_t w, const char* fmt, ...) {
  char small[128];
  char* buf = small;
  if (w >= static_cast<int32_t>(sizeof small)) {
    void* p;
    vectalloc(&p, w + 1, Char);
    buf = static_cast<char*>(p);
  }
  va_list args;
  va_start(args, fmt);
  int len = std::vsnprintf(buf, static_cast<std::size_t>(w) + 1, fmt, args);
  va_end(args);
  std::size_t width = static_cast<std::size_t>(w);
  if (len < 0 || len > w) {
    std::memset(dst, '*', width);
  } else {
    std::size_t n = static_cast<std::size_t>(len);
    std::memset(dst, ' ', width - n);
    std::memcpy(dst + (width - n), buf, n);
  }
  if (buf != small) std::free(buf);
}

// Writes the int v as one field of exactly w characters at dst, the same
// text as putfield with "%*d", without going through printf (the monadic
// format writes millions of these).
void intfield(char* dst, int32_t w, int32_t v) {
  char buf[12];
  std::size_t n = static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf);
  std::size_t width = static_cast<std::size_t>(w);
  if (n > width) {
    std::memset(dst, '*', width);
  } else {
    std::memset(dst, ' ', width - n);
    std::memcpy(dst + (width - n), buf, n);
  }
}

// Makes the result a character array of the given rank (1 for a scalar) and
// shape, its last axis `last` characters long (0 if negative), with storage
// for all characters plus a terminating NUL. Returns the storage. A result
// too large for one allocation stops as an out-of-memory request would, and
// so does a last axis too long for a shape even when there are no rows.
char* charresult(Array* result, int32_t rank, const int32_t* shape, int64_t last) {
  if (last < 0) last = 0;
  int64_t rows = 1;
  for (int32_t i = 0; i + 1 < rank; ++i)
    if (shape[i] <= 0) rows = 0;
  for (int32_t i = 0; i + 1 < rank && rows > 0; ++i)
    rows = std::min<int64_t>(rows * shape[i], int64_t{INT32_MAX} + 1);
  int64_t asked = std::max<int64_t>(rows, 1);
  if (last > (INT32_MAX - 1) / asked) {
    std::fprintf(errstream, "request for type %d, size %lld\n", Char,
                 static_cast<long long>(asked) * static_cast<long long>(last) + 1);
    rterror("[vectalloc] out of memory allocation space");
  }
  int32_t total = static_cast<int32_t>(rows * last);
  int32_t lastaxis = static_cast<int32_t>(last);
  if (rank <= 0) {
    descset(result, Char, 1, &lastaxis);
  } else {
    descset(result, Char, rank, shape);
    result->shape[rank - 1] = lastaxis;
  }
  vectalloc(&result->value, total + 1, Char);
  char* s = chars(*result);
  s[total] = '\0';
  return s;
}

// The length of the last axis: K columns (1 for a scalar).
int32_t columns(const Array* a) { return a->rank > 0 ? a->shape[a->rank - 1] : 1; }

bool isnumeric(int32_t type) { return type == Bit || type == Int || type == Real; }

// Digits in the integer part of |v|; "inf" and "nan" count as their 3 letters.
int64_t intdigits(double v) {
  if (!std::isfinite(v)) return 3;
  double a = std::fabs(v);
  if (a < 1.0) return 1;
  return static_cast<int64_t>(std::floor(std::log10(a))) + 1;
}

// How DFormat reads its left argument: one precision with the default width,
// one (width, precision) pair for every column, or a pair per column.
enum class Layout { Precision, Pair, PerColumn };

struct Fields {
  const Array* left;
  Layout layout;
  int32_t defaultwidth;  // the width of Layout::Precision

  // Element i of the left argument as an int; reals are truncated.
  int32_t at(int32_t i) const {
    return left->type == Real ? trunc32(reals(*left)[i]) : ints(*left)[i];
  }
  int32_t width(int32_t k) const {
    switch (layout) {
      case Layout::Precision: return defaultwidth;
      case Layout::Pair: return at(0);
      default: return at(2 * k);
    }
  }
  int32_t precision(int32_t k) const {
    switch (layout) {
      case Layout::Precision: return at(0);
      case Layout::Pair: return at(1);
      default: return at(2 * k + 1);
    }
  }
};

// Reads the shape of DFormat's left argument against K columns. A length
// that matches no layout, or too few elements for the layout chosen, stops
// with a length error. A one-element vector counts as a scalar precision.
Layout leftlayout(const Array* left, int32_t k) {
  int32_t length = left->rank > 0 ? left->shape[0] : 1;
  Layout layout = Layout::PerColumn;
  int64_t needed = 2 * int64_t{k};
  if (length == 1) {
    layout = Layout::Precision;
    needed = 1;
  } else if (length == 2) {
    layout = Layout::Pair;
    needed = 2;
  }
  bool fits = length <= 2 || length == needed;
  if (!fits || elemcount(left->rank, left->shape) < needed) {
    std::fprintf(errstream, "lrank = %d, lshape[0] = %d, coln = %d\n", left->rank, length, k);
    rterror("[DFormat] length error");
  }
  return layout;
}

// The length of the result's last axis: the K column widths added up.
int64_t rowwidth(const Fields& f, int32_t k) {
  if (f.layout != Layout::PerColumn) return int64_t{k} * std::max(f.width(0), 0);
  int64_t sum = 0;
  for (int32_t c = 0; c < k; ++c) sum += std::max(f.width(c), 0);
  return sum;
}

// Writes one DFormat field of width w and precision p for an int or a real.
void dfield(char* dst, bool isint, const Cell& x, int32_t w, int32_t p) {
  double v = isint ? x.i : x.r;
  dfwidth(v, w, p);
  // From here w is at least the width needed, so -p - 1 and w - p - 1 are in range.
  if (isint) {
    if (p > maxintprecision) rterror("[DFormat] domain error, integer precision > 20");
    if (p == 0)
      putfield(dst, w, "%*d", w, x.i);
    else if (p > 0)
      putfield(dst, w, "%*d.%1.*s", w - p - 1, x.i, p, zeropad);
    else
      putfield(dst, w, "%*.*e", w, -p - 1, v);
  } else {
    if (p == 0)
      putfield(dst, w, "%*.0f", w, v);
    else if (p > 0)
      putfield(dst, w, "%*.*f", w, p, v);
    else
      putfield(dst, w, "%*.*e", w, -p - 1, v);
  }
}

}  // namespace

void Format(Array* result, const Array* arg) {
  int32_t pp = boundprecision();
  if (arg->type == Char) {
    desccopy(result, arg);
    return;
  }
  if (!isnumeric(arg->type)) {
    std::fprintf(errstream, "[Format] type %d \n", arg->type);
    rterror("Format domain error, unknown type");
  }
  bool real = arg->type == Real;
  int32_t w = real ? pp + 8 : pp;
  int32_t n = elemcount(arg->rank, arg->shape);
  char* dst = charresult(result, arg->rank, arg->shape, int64_t{columns(arg)} * w);
  for (int32_t i = 0; i < n; ++i, dst += w) {
    if (real)
      putfield(dst, w, "%*.*g", w, pp, reals(*arg)[i]);
    else
      intfield(dst, w, ints(*arg)[i]);
  }
}

void DFormat(Array* result, const Array* left, const Array* right) {
  int32_t pp = boundprecision();
  if (right->type == Char) {
    desccopy(result, right);
    return;
  }
  int32_t k = columns(right);
  Layout layout = leftlayout(left, k);
  if (!isnumeric(right->type) || !isnumeric(left->type))
    rterror("[DFormat] domain error, unknown type");
  bool isint = right->type != Real;
  Fields f{left, layout, isint ? pp : pp + 8};
  int32_t n = elemcount(right->rank, right->shape);
  char* dst = charresult(result, right->rank, right->shape, rowwidth(f, k));
  Cell x;
  for (int32_t i = 0; i < n; ++i) {
    int32_t c = i % k;
    int32_t w = f.width(c);
    getmp(&x, &right->value, i, right->type);
    dfield(dst, isint, x, w, f.precision(c));
    dst += w;
  }
}

int32_t dfwidth(double v, int32_t w, int32_t p) {
  int64_t sign = v < 0.0 ? 1 : 0;
  int64_t needed;
  if (p < 0)
    needed = 5 - int64_t{p} + sign;  // a digit, a point, -p - 1 digits, "e+dd"
  else
    needed = intdigits(v) + sign + (p > 0 ? int64_t{p} + 1 : 0);
  if (needed <= w) return 1;
  std::fprintf(errstream, "[DFormat] width = %d (need %lld), ", w, static_cast<long long>(needed));
  int32_t shown = static_cast<int32_t>(std::min(p < 0 ? -int64_t{p} - 1 : p, maxshowndigits));
  if (p > 0)
    std::fprintf(errstream, "number = [%1.*f]\n", shown, v);
  else if (p == 0)
    std::fprintf(errstream, "number = [%1.0f]\n", v);
  else
    std::fprintf(errstream, "number = [%1.*e]\n", shown, v);
  rterror("DFormat domain error, field width too small");
}

}  // namespace rt
