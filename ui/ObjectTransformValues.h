#pragma once
// How the object transform pages show an object's values as integers and
// turn the integers back into engine values.
namespace boxora {

// Truncation toward zero for values a scene file may set to anything: NaN
// counts as 0, values beyond the int range saturate.
int TruncateToInt(double value);

// The Scale page shows a factor s as (s - 1) x 100 rounded to the nearest
// integer, halves away from zero: 1.5 shows 50, 0.994 shows -1, 1 shows 0.
int ScalePercentFromFactor(float factor);
// The factor sent for a shown value v: v / 100 + 1, but never below 0.001
// (so -100 gives 0.001 and the model never collapses to nothing).
float ScaleFactorFromPercent(int percent);

}  // namespace boxora
