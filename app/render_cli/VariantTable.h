#pragma once
// The table of a variant batch: one picture per row, each cell a change of
// the scene (documented in --help and the README).
//
//   output                  the picture's name inside the output folder
//   Front Back Left Right Top Bottom
//                           face images of the scene's first object
//   N:Front ... N:Bottom    the same for object N (from 1, in scene order)
//   width height            the picture's size in pixels (1 .. 3000)
//   camera_horizontal camera_vertical
//                           the camera's rotation in degrees
//   background              the background colour, RRGGBB or #RRGGBB
//
// Column names are matched without regard to case. An empty cell keeps the
// scene's value (or the command line's size). Image paths are taken from
// the table's folder unless absolute.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/SettingTable.h"

struct VariantImage {
    int object = 0;  // from 0, in scene order
    int face = 0;    // 0 Front .. 5 Bottom
    std::string path;
};

struct VariantRow {
    std::size_t number = 0;  // from 1; the header is not counted
    std::size_t line = 0;    // where it starts in the file
    std::string output;      // relative, inside the output folder
    std::string error;       // why the row cannot be rendered, or empty
    std::vector<VariantImage> images;
    std::optional<int> width, height;
    // Scene settings the row sets (columns named in the setting table:
    // camera_horizontal, camera_vertical, background), in column order.
    std::vector<std::pair<boxora::Setting, double>> settings;
};

struct VariantTable {
    std::vector<VariantRow> rows;
    // Face columns used, as (object, face): the scene must have them all.
    std::vector<std::pair<int, int>> faceColumns;
    std::string error;  // the table as a whole cannot be used
};

// Reads and checks the table at path. Faults of a single row (a bad number,
// an output name outside the folder, a wrong number of fields) go into that
// row's error; faults of the file or the header into the table's.
VariantTable ReadVariantTable(const std::string& path);

// Interprets CSV text; folder is where relative image paths start.
VariantTable ParseVariantTable(std::string_view text, const std::string& folder);
