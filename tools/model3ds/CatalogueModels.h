#pragma once
// The package models that ship in data/Objects/: their geometry, materials
// and default artwork names. gen_models writes them; the catalogue tests
// check them and compare them with the committed files.
//
// Every model is one mesh object named like its file (a scene file rebuilds
// the model path from the object name), centred on the origin so that the
// reader's lift by half the height sets it on the floor and turns spin it
// about its middle. Its front faces −y, z is up. The six cover faces are
// materials named "Front", "Back", "Left", "Right", "Top" and "Bottom", each
// with a default image from data/texture/ laid upright on the face.
#include <string>
#include <vector>

#include "tools/model3ds/Model3dsWriter.h"

namespace model3ds {

struct CatalogueModel {
    std::string name;  // file base name and object name
    Model model;
};

// Every catalogue model, in a fixed order.
std::vector<CatalogueModel> BuildCatalogue();

}  // namespace model3ds
