// sysvar, bxdl and the hundredths delay.
#include "runtime/system/sysvar.h"

#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "runtime/core/error.h"
#include "runtime/core/globals.h"
#include "runtime/core/tolerant.h"
#include "runtime/system/sysargs.h"

namespace rt {

// Runtime-owned result storage: each call of a code rewrites its own cells.
static int32_t precisioncell, linkcell, origincell;
static int32_t omapcell[2];
static int32_t omapshape[1] = {2};
static int32_t stampcell[7];
static int32_t stampshape[1] = {7};
static char* argmatrix;  // built on first use, never freed
static int32_t argshape[2];

// Points result at runtime storage; Fixed keeps detalloc from freeing it.
static void fixedresult(Array* result, int32_t type, int32_t rank, int32_t* shape, void* value) {
  result->type = type;
  result->rank = rank;
  result->shape = rank == 0 ? scalarshape : shape;
  result->storage = Fixed;
  result->value = value;
}

// The new value of a settable code as an int: reals are rounded to the
// nearest integer; anything without a number to give is refused.
static int32_t newint(const Array& v) {
  if (elemcount(v.rank, v.shape) == 0) rterror("[sysvar] domain error");
  switch (v.type) {
    case Bit:
    case Int: return ints(v)[0];
    case Real: return iround(reals(v)[0]);
    default: rterror("[sysvar] domain error");
  }
}

// Codes 0, 2, 3: set the global when a value is given, then show it.
static void settable(int32_t* global, int32_t* cell, Array* result, const Array* right) {
  if (right->type != Undefined) *global = newint(*right);
  *cell = *global;
  fixedresult(result, Int, 0, nullptr, cell);
}

// Code 4: one row per program argument, padded with blanks to the longest.
static void buildargmatrix() {
  int32_t rows = argcount, cols = 0;
  for (int32_t i = 0; i < rows; ++i) {
    std::size_t len = std::strlen(argvector[i]);
    if (len > static_cast<std::size_t>(cols)) cols = len < INT32_MAX ? static_cast<int32_t>(len) : INT32_MAX;
  }
  if (cols > 0 && rows > INT32_MAX / cols) rterror("[sysvar] argument matrix too large");
  void* p;
  vectalloc(&p, rows * cols, Char);
  argmatrix = static_cast<char*>(p);
  for (int32_t i = 0; i < rows; ++i) {
    std::size_t len = std::strlen(argvector[i]);
    char* row = argmatrix + static_cast<std::size_t>(i) * cols;
    std::memset(row, ' ', static_cast<std::size_t>(cols));
    std::memcpy(row, argvector[i], len < static_cast<std::size_t>(cols) ? len : cols);
  }
  argshape[0] = rows;
  argshape[1] = cols;
}

// Code 5: set the two stream flags from one int or two, then the streams.
static void setomap(const Array& v) {
  if (v.type != Bit && v.type != Int) rterror("[OMAP] domain error");
  if (v.rank == 0 || (v.rank == 1 && v.shape[0] == 1)) {
    outflag = errflag = ints(v)[0];
  } else if (v.rank == 1 && v.shape[0] == 2) {
    outflag = ints(v)[0];
    errflag = ints(v)[1];
  } else if (v.rank == 1) {
    rterror("[OMAP] shape error");
  } else {
    rterror("[OMAP] rank error");
  }
  // Flag 0 means standard output for both streams.
  outstream = outflag != 0 ? stderr : stdout;
  errstream = errflag != 0 ? stderr : stdout;
}

// The wall clock in seconds, to the microsecond.
static double wallclock() {
  timeval tv;
  ::gettimeofday(&tv, nullptr);
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1000000.0;
}

// Code 6: year, month, day, hour, minute, second, millisecond, local time.
static void timestamp() {
  timeval tv;
  ::gettimeofday(&tv, nullptr);
  time_t secs = tv.tv_sec;
  struct tm local;
  ::localtime_r(&secs, &local);
  int32_t fields[7] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec, static_cast<int32_t>(tv.tv_usec / 1000)};
  std::memcpy(stampcell, fields, sizeof fields);
}

// Code 21: the command's status as system gives it (exit code times 256).
static void shell(Array* result, const Array* right) {
  if (right->type != Char) rterror("[shell]: bad command type");
  CText command(*right, elemcount(right->rank, right->shape));
  intresult(result, std::system(command.str()));
}

void sysvar(int32_t code, Array* result, const Array*, const Array* right) {
  sysentry();
  switch (code) {
    case PrintPrecision: settable(&printprecision, &precisioncell, result, right); break;
    case RandomLink: settable(&randomlink, &linkcell, result, right); break;
    case IndexOrigin: settable(&indexorigin, &origincell, result, right); break;
    case ArgMatrix:
      if (argmatrix == nullptr) buildargmatrix();
      fixedresult(result, Char, 2, argshape, argmatrix);
      break;
    case OMAP:
      if (right->type != Undefined) setomap(*right);
      omapcell[0] = outflag;
      omapcell[1] = errflag;
      fixedresult(result, Int, 1, omapshape, omapcell);
      break;
    case TimeStamp:
      timestamp();
      fixedresult(result, Int, 1, stampshape, stampcell);
      break;
    case ClockSeconds: realresult(result, wallclock()); break;
    case Shell: shell(result, right); break;
    default: rterror("[sysvar] unimplemented system function error");
  }
}

// Sleeps for the given time; a sleep cut short by a signal is reported with
// the time that remained, and not resumed.
static void sleepfor(time_t secs, long nanos) {
  timespec want{secs, nanos}, left{0, 0};
  if (::nanosleep(&want, &left) < 0) {
    std::fprintf(errstream, "\n[bxdl] sleep cut short \n");
    std::fprintf(errstream, "[bxdl] time remaining: %f sec. \n",
                 static_cast<double>(left.tv_sec) + static_cast<double>(left.tv_nsec) / 1000000000.0);
  }
}

void bxdl(Array* result, const Array* right) {
  sysentry();
  if (right->type != Bit && right->type != Int && right->type != Real) rterror("[.bxdl] wrong type argument");
  if (elemcount(right->rank, right->shape) == 0) rterror("[.bxdl] empty argument");
  double secs = right->type == Real ? reals(*right)[0] : ints(*right)[0];
  double t0 = wallclock();
  // Only a positive duration sleeps: a negative one (or NaN) has nothing to
  // wait for, and one beyond 68 years is cut to that.
  if (secs > 0) {
    double whole = std::floor(secs), nanos = std::floor((secs - whole) * 1000000000.0);
    if (whole >= INT32_MAX) whole = INT32_MAX, nanos = 0;
    sleepfor(static_cast<time_t>(whole), static_cast<long>(nanos));
  }
  realresult(result, wallclock() - t0);
}

void delay(int32_t h) {
  if (h <= 0) return;
  sleepfor(h / 100, static_cast<long>(h % 100) * 10000000L);
}

}  // namespace rt
