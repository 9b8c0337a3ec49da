#pragma once
// A mesh under construction for a parametric shape, in millimetres and in
// drawn axes: x to the right, y up, z towards the viewer (the Front side
// faces +z). Every vertex carries the outward normal of the surface it
// lies on, so each triangle is wound from it (counter-clockwise seen from
// outside) and corners of round surfaces shade smoothly without a
// smoothing pass. ToObject turns it into the records a model file gives.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "model/ModelTypes.h"

namespace boxora {

struct ShapeMaterial {
    std::string name;  // a cover name ("Front" …) makes it a printable slot
    std::array<uint8_t, 4> color{255, 255, 255, 255};
    std::string texture;  // image file of a material that is not a slot
};

class ShapeMesh {
public:
    // Material by name (added on first use), as an index into Materials().
    int Material(const std::string& name, std::array<uint8_t, 4> color = {235, 235, 235, 255});

    uint32_t Vertex(glm::dvec3 p, glm::dvec2 uv, glm::dvec3 normal);
    // Winds the triangle so that it faces along its corners' normals
    // (unless KeepWinding); drops it when it has no area.
    void Triangle(uint32_t a, uint32_t b, uint32_t c, int material);
    // Models read from files keep the winding they were written with.
    void KeepWinding() { keepWinding_ = true; }
    void Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int material);

    // A grid of (nu + 1) x (nv + 1) vertices where = point(i, j), with
    // texture coordinates i / nu, j / nv and normals from normal(i, j).
    template <class PointFn, class NormalFn>
    void Grid(int nu, int nv, int material, PointFn point, NormalFn normal, glm::dvec2 uv0 = {0, 0},
              glm::dvec2 uv1 = {1, 1}) {
        const uint32_t first = static_cast<uint32_t>(vertices_.size());
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i) {
                const glm::dvec2 t{double(i) / nu, double(j) / nv};
                Vertex(point(i, j), uv0 + (uv1 - uv0) * t, normal(i, j));
            }
        auto at = [&](int i, int j) { return first + static_cast<uint32_t>(j * (nu + 1) + i); };
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) Quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), material);
    }

    // A cuboid between lo and hi with one material per side in cover order
    // (front +z, back, left -x, right, top +y, bottom), each side's image
    // upright as seen from outside (top: back edge up; bottom: front edge up).
    void Cuboid(glm::dvec3 lo, glm::dvec3 hi, const std::array<int, 6>& materials);

    // A surface of revolution about the y axis or, with ellipse radii, a
    // loft of ellipses: rings[k] = {x radius, y, z radius}, from the bottom
    // centre to the top centre. materials[k] is the material of the band
    // from ring k to k+1; sharp[k] marks a crease at ring k. Bands whose
    // material is in planar are mapped from above (or below); the others
    // wrap around (u around, v up along the band run of one material),
    // either once around or, with halves, front half and back half apart
    // (frontBack gives their materials, replacing the wrap material
    // wrapMaterial).
    struct Loft {
        std::vector<glm::dvec3> rings;
        std::vector<int> materials;
        std::vector<bool> sharp;
        std::vector<int> planarTop, planarBottom;
        int wrapMaterial = -1;
        std::array<int, 2> frontBack{-1, -1};
        int segments = 64;
    };
    void AddLoft(const Loft& loft, glm::dvec3 offset = {0, 0, 0});

    // Moves the vertices from first on by the rigid transform m.
    void TransformFrom(uint32_t first, const glm::dmat4& m);
    uint32_t VertexCount() const { return static_cast<uint32_t>(vertices_.size()); }

    // A closed round rod of radius r along path (open ends capped).
    void Rod(const std::vector<glm::dvec3>& path, double r, int material, int sides = 12);

    // The mesh as a scene object: vertices in held axes, scaled from
    // millimetres to scene units and centred on the origin, per-corner
    // normals, texture coordinates, materials appended to the model.
    // Returns null when the mesh outgrows the object's 16-bit indices.
    std::unique_ptr<C3DObject> ToObject(const std::string& name, double unitsPerMm, SceneModel& model,
                                        std::vector<tMaterialInfo>& objectMaterials) const;

    struct V {
        glm::dvec3 p;
        glm::dvec2 uv;
        glm::dvec3 n;
    };
    struct T {
        std::array<uint32_t, 3> v;
        int material;
    };
    const std::vector<V>& Vertices() const { return vertices_; }
    const std::vector<T>& Triangles() const { return triangles_; }
    const std::vector<ShapeMaterial>& Materials() const { return materials_; }
    // Bounding box of the vertices (mm).
    glm::dvec3 Min() const;
    glm::dvec3 Max() const;

private:
    std::vector<V> vertices_;
    std::vector<T> triangles_;
    std::vector<ShapeMaterial> materials_;
    bool keepWinding_ = false;
};

}  // namespace boxora
