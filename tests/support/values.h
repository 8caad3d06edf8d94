// Array values for tests: built from C++ data, read back as C++ data, and
// released on scope exit; and a capture of the runtime's two streams.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/core/array.h"

namespace zelvotest {

// The lengths of a value's axes; {} for a scalar.
using Shape = std::vector<int32_t>;

// An array value owned by the test, released with detalloc on scope exit.
// Empty vectors here are made as the runtime makes them, over shared static
// storage that is never freed; the elements of an array with a zero axis of
// rank 2 or more, which detalloc leaves behind, are freed as well.
class Val {
 public:
  Val() { rt::descclear(&a_); }
  // A fresh value of the type and shape, its elements uninitialised.
  Val(int32_t type, const Shape& shape);
  ~Val();
  Val(const Val&) = delete;
  Val& operator=(const Val&) = delete;

  // Values of the given elements, in row-major order: a vector of them, or
  // a value of the shape given.
  static Val chars(const std::string& s);
  static Val chars(const std::string& s, const Shape& shape);
  static Val ints(const std::vector<int32_t>& v);
  static Val ints(const std::vector<int32_t>& v, const Shape& shape, int32_t type = rt::Int);  // rt::Bit: bits
  static Val reals(const std::vector<double>& v, const Shape& shape);
  static Val intscalar(int32_t v) { return ints({v}, {}); }
  static Val real(double v) { return reals({v}, {}); }  // a real scalar

  rt::Array* operator&() { return &a_; }
  const rt::Array* operator&() const { return &a_; }
  const rt::Array& operator*() const { return a_; }
  const rt::Array* operator->() const { return &a_; }

  int32_t count() const;              // element count
  std::string text() const;           // the characters of a char value
  std::vector<int32_t> list() const;  // the ints of an int or bit value
  double first() const;               // the first element as a double

  Val(Val&& other) noexcept : a_(other.a_) { rt::descclear(&other.a_); }

 private:
  rt::Array a_;
};

// Points the runtime's output and error streams at memory for the life of
// the capture, then puts back the streams it found.
class Capture {
 public:
  Capture();
  ~Capture();
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  std::string out();
  std::string err();

 private:
  FILE* savedout_;
  FILE* savederr_;
  FILE* out_;
  FILE* err_;
  char* outbuf_ = nullptr;
  char* errbuf_ = nullptr;
  std::size_t outlen_ = 0, errlen_ = 0;
};

// The elements of a numeric value (bit, int or real) as doubles.
std::vector<double> numbers(const rt::Array& a);

}  // namespace zelvotest
