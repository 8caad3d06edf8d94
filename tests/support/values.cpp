// Test values and the stream capture.
#include "tests/support/values.h"

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

static Val filled(int32_t type, int32_t rank, int32_t n) {
  Val v;
  rt::descset(&v, type, rank, &n);
  rt::descalloc(&v);
  return v;
}

Val Val::chars(const std::string& s) {
  if (s.empty()) {
    Val v;
    *&v = rt::emptyvector(rt::Char);
    return v;
  }
  Val v = filled(rt::Char, 1, static_cast<int32_t>(s.size()));
  if (!s.empty()) std::memcpy((&v)->value, s.data(), s.size());
  return v;
}

Val Val::charscalar(char c) {
  Val v = filled(rt::Char, 0, 1);
  rt::chars(*v)[0] = c;
  return v;
}

Val Val::ints(const std::vector<int32_t>& list) {
  if (list.empty()) {
    Val v;
    *&v = rt::emptyvector(rt::Int);
    return v;
  }
  Val v = filled(rt::Int, 1, static_cast<int32_t>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i) rt::ints(*v)[i] = list[i];
  return v;
}

Val Val::intscalar(int32_t n) {
  Val v = filled(rt::Int, 0, 1);
  rt::ints(*v)[0] = n;
  return v;
}

Val Val::bitscalar(int32_t n) {
  Val v = filled(rt::Bit, 0, 1);
  rt::ints(*v)[0] = n;
  return v;
}

Val Val::real(double x) {
  Val v = filled(rt::Real, 0, 1);
  rt::reals(*v)[0] = x;
  return v;
}

Val Val::matrix(int32_t rows, int32_t cols, int32_t type) {
  Val v;
  int32_t shape[2] = {rows, cols};
  rt::descset(&v, type, 2, shape);
  rt::descalloc(&v);
  return v;
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
