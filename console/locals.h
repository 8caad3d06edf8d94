// Variables of the console's functions. Every variable is an array value:
// cleared when it comes into being, checked for definedness before each read
// ("undefined value (Name) used"), released when it goes out of use.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace zelvo {

// Stops with "undefined value (<name>) used".
[[noreturn]] void undefined(const char* name);

// A named array variable without automatic release: the console's globals,
// which the entry point releases itself.
class Named {
 public:
  explicit Named(const char* name) : name_(name) { rt::descclear(&a_); }
  Named(const Named&) = delete;
  Named& operator=(const Named&) = delete;

  // The value, after the definedness check.
  const rt::Array& get() const {
    if (a_.type == rt::Undefined) undefined(name_);
    return a_;
  }
  // Assignment: release the old value, then take over `value` (a move).
  void set(rt::Array value) {
    rt::detalloc(&a_);
    rt::desccopy(&a_, &value);
    a_.storage = value.storage;  // the variable owns exactly what it was given
  }
  // Hands the value to the caller (checked); the variable is left undefined.
  rt::Array take() {
    rt::Array v = get();
    rt::descclear(&a_);
    return v;
  }
  // Hands the value to the caller unchecked: a function's result, which may
  // be left undefined (the caller's own check then stops).
  rt::Array result() {
    rt::Array v = a_;
    rt::descclear(&a_);
    return v;
  }
  void release() { rt::detalloc(&a_); }
  bool defined() const { return a_.type != rt::Undefined; }
  const char* name() const { return name_; }
  // The descriptor itself, unchecked: for code that fills it in place.
  rt::Array& place() { return a_; }

 protected:
  const char* name_;
  rt::Array a_;
};

// A local variable or argument of a console function: released on scope exit.
class Var : public Named {
 public:
  explicit Var(const char* name) : Named(name) {}
  // An argument: the variable takes over the value that the caller passed.
  Var(const char* name, rt::Array value) : Named(name) { set(value); }
  ~Var() { rt::detalloc(&a_); }
};

// An intermediate value inside an expression, such as the result of one
// primitive handed straight to another: released at the end of the full
// expression, so no intermediate array outlives the statement that made it.
class Temp {
 public:
  Temp(rt::Array value) : a_(value) {}  // NOLINT: converts a fresh value implicitly
  ~Temp() { rt::detalloc(&a_); }
  Temp(const Temp&) = delete;
  Temp& operator=(const Temp&) = delete;
  operator const rt::Array&() const { return a_; }  // NOLINT
  const rt::Array& get() const { return a_; }

 private:
  rt::Array a_;
};

// An integer scalar whose storage the program owns (a fixed descriptor):
// assignment replaces the value in place and release frees nothing.
class FixedInt : public Named {
 public:
  explicit FixedInt(const char* name) : Named(name) {}
  // Makes the variable a defined integer scalar over its own cell.
  void create() {
    rt::mkscalar(&a_, &cell_);
    a_.storage = rt::Fixed;
  }
  void set(int32_t v) {
    get();
    cell_ = v;
  }
  int32_t value() const { return *rt::ints(get()); }
  // Drops the definition (the storage itself is static and stays).
  void release() { rt::descclear(&a_); }

 private:
  int32_t cell_ = 0;
};

}  // namespace zelvo
