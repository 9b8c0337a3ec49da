#pragma once
// Builds one mesh object for the model writer out of surfaces described the
// way a package designer thinks of them: rectangles, grids and convex caps,
// each given with its corners in counter-clockwise order as seen from
// outside and with texture coordinates that put an image upright on it
// (u = 0 at its left, v = 0 at its bottom, as seen from outside).
//
// Coordinates are the file's: x to the right, y away from the viewer (the
// front of a package faces −y), z up. Vertices are merged when material,
// smoothing word, position and texture coordinate all agree, so a curved
// surface built from several pieces shades smoothly across them while every
// material keeps vertices of its own. Positions and texture coordinates are
// rounded to fixed steps so the written bytes do not depend on the last bit
// of a sine.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tools/model3ds/Model3dsWriter.h"

namespace model3ds {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalized(Vec3 a);

struct Uv {
    double u = 0, v = 0;
};

class MeshBuilder {
public:
    explicit MeshBuilder(std::string objectName);

    // A flat rectangle: origin is its bottom-left corner seen from outside,
    // right and up its two edges (right × up points outward). The image
    // region [u0, u1] × [v0, v1] is laid on it upright.
    void Rect(const std::string& material, Vec3 origin, Vec3 right, Vec3 up, uint32_t smoothing = 0, Uv uv0 = {0, 0},
              Uv uv1 = {1, 1});

    // A quadrilateral with corners counter-clockwise from outside
    // (bottom-left, bottom-right, top-right, top-left) and their texture
    // coordinates.
    void Quad(const std::string& material, const std::array<Vec3, 4>& corners, const std::array<Uv, 4>& uvs,
              uint32_t smoothing = 0);

    // A grid of points: points[row][column], columns running to the right
    // and rows upwards as seen from outside. Each cell becomes two
    // triangles; neighbouring cells share their vertices. uvs is empty
    // (all zero) or shaped like points.
    void Grid(const std::string& material, const std::vector<std::vector<Vec3>>& points,
              const std::vector<std::vector<Uv>>& uvs, uint32_t smoothing = 0);

    // A convex polygon, counter-clockwise from outside, fanned from its
    // centroid. uvs is empty (all zero) or one per point.
    void Polygon(const std::string& material, const std::vector<Vec3>& points, const std::vector<Uv>& uvs,
                 uint32_t smoothing = 0);

    // The triangle (a, b, c), counter-clockwise from outside.
    void Triangle(const std::string& material, Vec3 a, Vec3 b, Vec3 c, Uv ua, Uv ub, Uv uc, uint32_t smoothing = 0);

    std::size_t TriangleCount() const { return faces_.size(); }
    std::size_t VertexCount() const { return vertices_.size(); }

    // The finished mesh; material groups are listed in the order the
    // materials were first used. Fails (returns false) when the mesh
    // outgrows the 16-bit counts of the file format.
    bool Finish(Mesh& out) const;

private:
    uint16_t Vertex(const std::string& material, uint32_t smoothing, Vec3 p, Uv uv);

    using Key = std::tuple<std::string, uint32_t, int64_t, int64_t, int64_t, int64_t, int64_t>;
    std::string name_;
    std::vector<std::array<float, 3>> vertices_;
    std::vector<std::array<float, 2>> uvs_;
    std::map<Key, uint16_t> index_;
    std::vector<Face> faces_;
    std::vector<std::string> faceMaterial_;
    std::vector<uint32_t> smoothing_;
    bool overflow_ = false;
};

}  // namespace model3ds
