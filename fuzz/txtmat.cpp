// Fuzzes txtmat in both directions, and the droptrail and noblanks it is
// built with, on characters drawn mostly from the delimiter, the fill, a
// blank and two letters:
// - a text splits into a matrix with one row per delimited piece (the text
//   always closes with one more piece), each padded with the fill to the
//   longest piece; joining that matrix back gives the pieces without their
//   trailing fill, separated by the delimiter;
// - any character matrix joins the same way;
// - a value with no axis of non-zero length comes back as it was; one of
//   rank 3 or more gives no result;
// - droptrail drops exactly the trailing run of its character, noblanks
//   every blank.
// A missing delimiter and arguments that are not characters may stop, and
// are survived.
// The shape arithmetic under txtmat (element count, catenation, reshape,
// take, drop, reverse) also gets huge and negative lengths: every result is
// shaped as exact arithmetic says, and a call stops exactly where an int
// cannot hold a length, block or count (or a reshape length is negative).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/arrays.h"
#include "console/locals.h"
#include "console/textmat.h"
#include "fuzz/support.h"
#include "fuzz/values.h"
#include "runtime/core/shape.h"

namespace {

// A character array of the given rank and shape, its elements drawn from
// the delimiter, the fill, a blank, two letters or any byte.
rt::Array anychars(FuzzedDataProvider& in, const std::vector<int32_t>& shape, char delim, char fill) {
  rt::Array a;
  rt::descclear(&a);
  rt::descset(&a, rt::Char, static_cast<int32_t>(shape.size()), shape.data());
  rt::descalloc(&a);
  int32_t n = zelvofuzz::count(a);
  for (int32_t i = 0; i < n; ++i) {
    const char picks[] = {delim, fill, ' ', 'a', 'b', static_cast<char>(in.ConsumeIntegral<uint8_t>())};
    rt::chars(a)[i] = in.PickValueInArray(picks);
  }
  return a;
}

std::string text(const rt::Array& a) {
  return std::string(rt::chars(a), static_cast<size_t>(zelvofuzz::count(a)));
}

// s without its trailing run of c.
std::string trimmed(std::string s, char c) {
  while (!s.empty() && s.back() == c) s.pop_back();
  return s;
}

// Whether r is the character vector s.
bool isvector(const rt::Array& r, const std::string& s) {
  return r.type == rt::Char && r.rank == 1 && r.shape[0] == static_cast<int32_t>(s.size()) && text(r) == s;
}

// Whether r is the character matrix of the given rows, each padded with fill.
bool ismatrix(const rt::Array& r, const std::vector<std::string>& rows, char fill) {
  size_t cols = 0;
  for (const std::string& row : rows) cols = std::max(cols, row.size());
  if (r.type != rt::Char || r.rank != 2 || r.shape[0] != static_cast<int32_t>(rows.size()) ||
      r.shape[1] != static_cast<int32_t>(cols))
    return false;
  std::string want;
  for (const std::string& row : rows) want += row + std::string(cols - row.size(), fill);
  return text(r) == want;
}

// The rows of a character matrix joined, each without its trailing fill.
std::string joined(const rt::Array& m, char delim, char fill) {
  std::string all = text(m), s;
  int32_t rows = m.shape[0], cols = m.shape[1];
  for (int32_t i = 0; i < rows; ++i) {
    if (i > 0) s += delim;
    s += trimmed(all.substr(static_cast<size_t>(i) * static_cast<size_t>(cols), static_cast<size_t>(cols)), fill);
  }
  return s;
}

// The pieces of s between delimiters; the last piece runs to the end.
std::vector<std::string> pieces(const std::string& s, char delim) {
  std::vector<std::string> out(1);
  for (char c : s)
    if (c == delim)
      out.emplace_back();
    else
      out.back() += c;
  return out;
}

// Runs a call that must not stop; a stop is a failure.
template <typename Fn>
void muststand(Fn&& fn) {
  if (!zelvofuzz::survives(fn)) std::abort();
}

// The split, checked, then joined back and checked.
void roundtrip(FuzzedDataProvider& in, const rt::Array& left, char delim, char fill) {
  int32_t n = in.ConsumeIntegralInRange<int32_t>(1, 120);
  rt::Array txt = anychars(in, {n}, delim, fill);
  std::string s = text(txt);
  std::vector<std::string> rows = pieces(s, delim);
  rt::Array matrix, back;
  muststand([&] { matrix = zelvo::txtmat(zelvo::copyof(left), zelvo::copyof(txt)); });
  if (!ismatrix(matrix, rows, fill)) std::abort();
  muststand([&] { back = zelvo::txtmat(zelvo::copyof(left), zelvo::copyof(matrix)); });
  std::string want;
  for (size_t i = 0; i < rows.size(); ++i) want += (i > 0 ? std::string(1, delim) : "") + trimmed(rows[i], fill);
  if (!isvector(back, want)) std::abort();
  rt::detalloc(&back);
  rt::detalloc(&matrix);
  zelvofuzz::release(txt, false);
}

// Any character matrix, joined.
void join(FuzzedDataProvider& in, const rt::Array& left, char delim, char fill) {
  int32_t rows = in.ConsumeIntegralInRange<int32_t>(0, 12), cols = in.ConsumeIntegralInRange<int32_t>(0, 12);
  if (rows == 0 && cols == 0) cols = 1;  // a matrix with items
  rt::Array m = anychars(in, {rows, cols}, delim, fill), r;
  muststand([&] { r = zelvo::txtmat(zelvo::copyof(left), zelvo::copyof(m)); });
  if (!isvector(r, joined(m, delim, fill))) std::abort();
  rt::detalloc(&r);
  zelvofuzz::release(m, false);
}

// A value without items (returned as it is) or of rank 3 (no result).
void other(FuzzedDataProvider& in, const rt::Array& left, char delim, char fill) {
  int32_t rank = in.ConsumeIntegralInRange<int32_t>(0, 4);
  std::vector<int32_t> shape;
  bool items = false;
  for (int32_t k = 0; k < rank; ++k) {
    shape.push_back(in.ConsumeIntegralInRange<int32_t>(0, 3));
    items = items || shape.back() != 0;
  }
  if (items && rank < 3) return;  // the splits and joins above
  rt::Array v = anychars(in, shape, delim, fill), r;
  muststand([&] { r = zelvo::txtmat(zelvo::copyof(left), zelvo::copyof(v)); });
  if (items) {
    if (r.type != rt::Undefined) std::abort();
  } else if (r.type != rt::Char || r.rank != v.rank || text(r) != text(v) ||
             std::memcmp(r.shape, v.shape, sizeof(int32_t) * static_cast<size_t>(v.rank)) != 0) {
    std::abort();
  }
  rt::detalloc(&r);
  zelvofuzz::release(v, false);
}

// droptrail and noblanks of a character vector.
void trims(FuzzedDataProvider& in, char delim, char fill) {
  int32_t n = in.ConsumeIntegralInRange<int32_t>(0, 60);
  rt::Array v = anychars(in, {n}, delim, fill), dropped, blankless;
  std::string s = text(v), bare;
  for (char c : s)
    if (c != ' ') bare += c;
  muststand([&] {
    dropped = zelvo::droptrail(zelvo::charscalar(fill), zelvo::copyof(v));
    blankless = zelvo::noblanks(zelvo::copyof(v));
  });
  if (!isvector(dropped, trimmed(s, fill)) || !isvector(blankless, bare)) std::abort();
  rt::detalloc(&dropped);
  rt::detalloc(&blankless);
  zelvofuzz::release(v, false);
}

// Arguments that need not make sense: a left argument of any type or
// length (empty included) and a value of any type and rank.
void anything(FuzzedDataProvider& in) {
  static const int32_t types[] = {rt::Char, rt::Char, rt::Int, rt::Bit, rt::Real};
  rt::Array left = zelvofuzz::anyarray(in, in.PickValueInArray(types), 4);
  rt::Array v = zelvofuzz::anyarray(in, in.PickValueInArray(types), 40);
  rt::Array r;
  rt::descclear(&r);
  if (zelvofuzz::survives([&] { r = zelvo::txtmat(zelvo::copyof(left), zelvo::copyof(v)); }))
    rt::detalloc(&r);
  zelvofuzz::release(left, false);
  zelvofuzz::release(v, false);
}

// A length: small, negative, at the ends of the int range or a factor of a
// product just past them, or any int.
int32_t anylength(FuzzedDataProvider& in) {
  static const int32_t picks[] = {0,     1,     2,       3,         -1,        -3,       32768,
                                  65536, 65537, 1 << 30, INT32_MAX - 1, INT32_MAX, INT32_MIN};
  return in.ConsumeBool() ? in.PickValueInArray(picks) : in.ConsumeIntegral<int32_t>();
}

// The exact product of v's entries from `from` on; whether an int holds x.
__int128 product(const std::vector<int32_t>& v, size_t from = 0) {
  __int128 p = 1;
  for (size_t i = from; i < v.size(); ++i) p *= v[i];
  return p;
}
bool inrange(__int128 x) { return x >= INT32_MIN && x <= INT32_MAX; }

// Runs fn, which must stop exactly when ok is false; gives ok.
template <typename Fn>
bool returns(bool ok, Fn&& fn) {
  if (zelvofuzz::survives(fn) != ok) std::abort();
  return ok;
}

// A shape l and its axis k: its element count; its catenation along k with
// r (l with axis k changed); then, where its elements fit, a value of that
// shape, catenated with itself along k and taken, dropped and reversed.
void shapes(FuzzedDataProvider& in) {
  int32_t rank = in.ConsumeIntegralInRange<int32_t>(1, 3), k = in.ConsumeIntegralInRange<int32_t>(0, rank - 1);
  std::vector<int32_t> l(static_cast<size_t>(rank)), r;
  for (int32_t& x : l) x = anylength(in);
  r = l;
  r[k] = anylength(in);
  int32_t n = 0, *s, block, lc, rc;
  if (returns(inrange(product(l)), [&] { n = rt::elemcount(rank, l.data()); }) && n != product(l)) std::abort();
  __int128 sum = __int128{l[k]} + r[k];
  if (returns(inrange(sum) && inrange(product(r, k + 1)),
              [&] { rt::catenate(&s, rank, l.data(), rank, r.data(), k, rt::Along::Axis, &block, &lc, &rc); })) {
    for (int32_t j = 0; j < rank; ++j)
      if (s[j] != (j == k ? sum : l[j])) std::abort();
    if (block != product(r, k + 1) || lc != l[k] || rc != r[k]) std::abort();
    std::free(s);
  }
  bool negative = std::any_of(l.begin(), l.end(), [](int32_t x) { return x < 0; });
  if (!negative && inrange(product(l)) && product(l) > 4096) return;  // more elements than is quick
  // Drop gets any count, take one within the axis: a take beyond it stops
  // while the console holds a std::vector, whose block survives cannot free.
  int32_t c = anylength(in), last = l.back();
  int32_t cut = static_cast<int32_t>(std::min(std::abs(int64_t{c}), int64_t{std::max(last, 0)}));
  rt::Array lengths, two = zelvo::intscalar(2), count = zelvo::intscalar(c), a;
  rt::Array within = zelvo::intscalar(c < 0 ? -cut : cut);
  rt::descclear(&lengths);
  rt::descset(&lengths, rt::Int, 1, &rank);
  rt::descalloc(&lengths);
  std::copy(l.begin(), l.end(), rt::ints(lengths));
  auto is = [&](const rt::Array& v, const std::vector<int32_t>& want) {
    return v.rank == rank && std::equal(want.begin(), want.end(), v.shape);
  };
  if (returns(!negative && inrange(product(l)), [&] { a = zelvo::reshape(lengths, two); })) {
    if (!is(a, l)) std::abort();
    // l with one length changed, and a call that must give that shape or stop.
    auto with = [&](int32_t axis, int64_t length) {
      std::vector<int32_t> w = l;
      w[axis] = static_cast<int32_t>(length);
      return w;
    };
    auto check = [&](bool ok, auto make, const std::vector<int32_t>& want) {
      rt::Array v;
      if (returns(ok, [&] { v = make(); }) && !is(v, want)) std::abort();
      if (ok) rt::detalloc(&v);
    };
    int64_t twice = 2 * int64_t{l[k]};
    check(inrange(twice) && inrange(product(l, k + 1)), [&] { return zelvo::catenate(a, a, k); }, with(k, twice));
    check(true, [&] { return zelvo::take(within, a); }, with(rank - 1, cut));
    check(true, [&] { return zelvo::drop(count, a); }, with(rank - 1, last - cut));
    check(true, [&] { return zelvo::reverse(a); }, l);
    rt::detalloc(&a);
  }
  zelvofuzz::release(lengths, false);
  for (rt::Array* v : {&two, &count, &within}) rt::detalloc(v);
}

}  // namespace

ZELVO_FUZZ_INITIALIZE()

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  uint8_t mode = in.ConsumeIntegralInRange<uint8_t>(0, 5);
  if (mode == 4) {
    anything(in);
    return 0;
  }
  if (mode == 5) {
    shapes(in);
    return 0;
  }
  // The delimiter, alone (as a scalar or a vector) or with a fill and maybe more.
  char delim = static_cast<char>(in.ConsumeIntegral<uint8_t>());
  std::string chdchf(1, delim);
  int32_t extra = in.ConsumeIntegralInRange<int32_t>(0, 2);
  for (int32_t i = 0; i < extra; ++i) chdchf += static_cast<char>(in.ConsumeIntegral<uint8_t>());
  char fill = extra > 0 ? chdchf[1] : ' ';
  rt::Array left = extra == 0 && in.ConsumeBool() ? zelvo::charscalar(delim) : zelvo::charvec("");
  if (left.rank == 1) {
    rt::detalloc(&left);
    int32_t n = static_cast<int32_t>(chdchf.size());
    rt::descclear(&left);
    rt::descset(&left, rt::Char, 1, &n);
    rt::descalloc(&left);
    std::memcpy(left.value, chdchf.data(), chdchf.size());
  }
  switch (mode) {
    case 0: roundtrip(in, left, delim, fill); break;
    case 1: join(in, left, delim, fill); break;
    case 2: other(in, left, delim, fill); break;
    default: trims(in, delim, fill); break;
  }
  zelvofuzz::release(left, false);
  return 0;
}
