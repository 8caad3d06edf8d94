// Element access through scalar cells and conversion between element types.
// No index is tested here: callers keep i and j inside the storage.
#pragma once

#include <cstdint>

#include "runtime/core/array.h"

namespace rt {

Cell* getmp(Cell* cell, void* const* place, int32_t i, int32_t type);
void setmp(const Cell* cell, void* const* place, int32_t i, int32_t type);
void assign_ind(Array* dst, int32_t i, const Array* src, int32_t j);
void cktype(Cell* cell, int32_t wanted, int32_t given);
void cktype2(Cell* dst, int32_t wanted, const Cell* src, int32_t given);
int32_t cktypes(Cell* a, int32_t ta, Cell* b, int32_t tb);
int32_t cktypes2(Cell* da, const Cell* sa, int32_t ta, Cell* db, const Cell* sb, int32_t tb);
void fillvalue(Cell* cell, int32_t type);
void identity(int32_t op, Cell* cell, int32_t type);

}  // namespace rt
