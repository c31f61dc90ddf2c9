#pragma once
// The size field's inner loops, four nodes per step where the machine has
// SSE2. Each lane runs the same float and double operations, in the same
// order, as the one-node functions of size_field.h, so every result has the
// same bits as theirs.
#include <cstdint>

#include "geometry/size_field.h"

// CurvatureAt for columns 1 .. n-2 of inner row r, written to out[1 .. n-2].
void CurvatureRow(const HeightGrid& grid, int r, const TuningConstants& tuning, SizeMatrix* out);

// Lanes of a row tile: that many rows of lengths side by side, column by
// column (tile[c * kTileLanes + j] is row j's column c).
constexpr int kTileLanes = 8;

// 1 / |m applied to d| for rows[j][c], j < rowCount, into the tile; lanes past
// rowCount are left as they were or hold copies of the last row's lengths.
void LengthsIntoTile(const SizeMatrix* const* rows, int rowCount, int n, const Point2& d,
                     float* tile);
// Both horizontal sweeps over a tile of n columns: each lane is relaxed
// forward then backward with growth g, carried from column to column.
void SweepTile(float* tile, int n, float g);
// Rows into the tile and back out of it.
void RowsIntoTile(float* const* rows, int rowCount, int n, float* tile);
void TileIntoRows(const float* tile, int rowCount, int n, float* const* rows);

// Where lengths[i] reaches farther in y than the kept best[i] (its direction
// y table[bestK[i]]), it becomes the best, with direction k and its y dy.
void KeepFarthest(const float* lengths, float* best, std::uint8_t* bestK, int count,
                  const float* table, std::uint8_t k, float dy);
