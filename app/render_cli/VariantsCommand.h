#pragma once
// --variants: one scene, one picture per row of a table (VariantTable.h).
// The scene and its models are loaded once; for each row only what differs
// from the picture before is changed, and a cell left empty gives the
// scene's own value back.
//
// Rows are numbered from 1. With a shard K/N only the rows r with
// (r - 1) mod N = K - 1 are rendered, so N runs of the same table on any
// machines write every picture once between them. Pictures are written
// atomically: a run cut short leaves complete pictures only, and with
// --skip-existing a run again renders just the rest.
#include "RenderCommand.h"

// Returns 0 when every row of the shard was written (or skipped), 1 when a
// row failed or the scene or table could not be used, 130 when interrupted.
int RunVariantsCommand(const RenderOptions& options);
