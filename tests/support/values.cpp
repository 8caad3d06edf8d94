// Test values and the stream capture.
#include "tests/support/values.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/core/globals.h"

namespace zelvotest {

Val::~Val() {
  bool strandedelements = a_.storage == rt::Owned && a_.type != rt::Undefined && a_.rank > 1 &&
                          rt::elemcount(a_.rank, a_.shape) == 0;
  void* elements = a_.value;
  rt::detalloc(&a_);
  if (strandedelements) std::free(elements);
}

Val::Val(int32_t type, const Shape& shape) {
  rt::descclear(&a_);
  if (shape.size() == 1 && shape[0] == 0) {
    a_ = rt::emptyvector(type);
    return;
  }
  rt::descset(&a_, type, static_cast<int32_t>(shape.size()), shape.data());
  rt::descalloc(&a_);
}

// A value of the type and shape holding the given elements (as many of them
// as it has room for).
template <typename T>
static Val holding(int32_t type, const Shape& shape, const T* elements, std::size_t given) {
  Val v(type, shape);
  std::size_t n = std::min(given, static_cast<std::size_t>(v.count()));
  if (n > 0) std::memcpy((&v)->value, elements, n * sizeof(T));
  return v;
}

Val Val::chars(const std::string& s) { return chars(s, {static_cast<int32_t>(s.size())}); }

Val Val::chars(const std::string& s, const Shape& shape) { return holding(rt::Char, shape, s.data(), s.size()); }

Val Val::ints(const std::vector<int32_t>& v) { return ints(v, {static_cast<int32_t>(v.size())}); }

Val Val::ints(const std::vector<int32_t>& v, const Shape& shape, int32_t type) {
  return holding(type, shape, v.data(), v.size());
}

Val Val::reals(const std::vector<double>& v, const Shape& shape) {
  return holding(rt::Real, shape, v.data(), v.size());
}

int32_t Val::count() const { return rt::elemcount(a_.rank, a_.shape); }

std::string Val::text() const { return std::string(rt::chars(a_), static_cast<std::size_t>(count())); }

std::vector<int32_t> Val::list() const {
  return std::vector<int32_t>(rt::ints(a_), rt::ints(a_) + count());
}

double Val::first() const { return a_.type == rt::Real ? rt::reals(a_)[0] : rt::ints(a_)[0]; }

Capture::Capture() : savedout_(rt::outstream), savederr_(rt::errstream) {
  out_ = open_memstream(&outbuf_, &outlen_);
  err_ = open_memstream(&errbuf_, &errlen_);
  rt::outstream = out_;
  rt::errstream = err_;
}

Capture::~Capture() {
  rt::outstream = savedout_;
  rt::errstream = savederr_;
  std::fclose(out_);
  std::fclose(err_);
  std::free(outbuf_);
  std::free(errbuf_);
}

std::string Capture::out() {
  std::fflush(out_);
  return std::string(outbuf_, outlen_);
}

std::string Capture::err() {
  std::fflush(err_);
  return std::string(errbuf_, errlen_);
}

std::vector<double> numbers(const rt::Array& a) {
  std::vector<double> v;
  int32_t n = rt::elemcount(a.rank, a.shape);
  for (int32_t k = 0; k < n; ++k) v.push_back(a.type == rt::Real ? rt::reals(a)[k] : rt::ints(a)[k]);
  return v;
}

}  // namespace zelvotest
