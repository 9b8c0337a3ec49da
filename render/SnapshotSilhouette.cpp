#include "render/SnapshotSilhouette.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/CameraMath.h"

namespace boxora {

namespace {

struct WindowPoint {
    double x, y, z;
};

// Twice the signed area of (a, b, p): which side of a → b the point p is on.
double Edge(const WindowPoint& a, const WindowPoint& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

void FillTriangle(ObjectIdImage& image, std::vector<double>& depth, const WindowPoint (&v)[3], int id) {
    const double area = Edge(v[0], v[1], v[2].x, v[2].y);
    if (area == 0 || !std::isfinite(area)) return;
    const auto clampTo = [](double value, int limit) {
        return static_cast<int>(std::clamp(value, 0.0, static_cast<double>(limit)));
    };
    const int x0 = clampTo(std::floor(std::min({v[0].x, v[1].x, v[2].x})), image.width - 1);
    const int x1 = clampTo(std::ceil(std::max({v[0].x, v[1].x, v[2].x})), image.width - 1);
    const int y0 = clampTo(std::floor(std::min({v[0].y, v[1].y, v[2].y})), image.height - 1);
    const int y1 = clampTo(std::ceil(std::max({v[0].y, v[1].y, v[2].y})), image.height - 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            // Either winding: a silhouette has no back faces to cull.
            const double w0 = Edge(v[1], v[2], px, py) / area;
            const double w1 = Edge(v[2], v[0], px, py) / area;
            const double w2 = 1.0 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            // Window depth is affine in window space.
            const double z = w0 * v[0].z + w1 * v[1].z + w2 * v[2].z;
            const std::size_t at = static_cast<std::size_t>(y) * image.width + x;
            if (z >= depth[at]) continue;
            depth[at] = z;
            image.ids[at] = id;
        }
    }
}

}  // namespace

ObjectIdImage DrawObjectIds(const SceneSnapshot& snapshot, int width, int height) {
    ObjectIdImage image;
    image.width = std::max(1, width);
    image.height = std::max(1, height);
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    image.ids.assign(pixels, ObjectIdImage::kNone);
    std::vector<double> depth(pixels, std::numeric_limits<double>::infinity());

    const CameraSetup camera = ComputeCamera(snapshot.settings, image.width, image.height);
    const glm::dmat4 view = ProjectionMatrix(camera) * SceneModelview(camera);
    for (const ObjectSnapshot& object : snapshot.objects) {
        if (!object.mesh) continue;
        const glm::dmat4 toClip = view * object.WorldMatrix();
        std::vector<glm::dvec4> clip;
        clip.reserve(object.mesh->positions.size());
        for (const Vector3& p : object.mesh->positions) clip.push_back(toClip * glm::dvec4(p.x, p.y, p.z, 1.0));
        for (const MeshFace& face : object.mesh->faces) {
            WindowPoint corners[3];
            bool visible = true;
            for (int k = 0; k < 3 && visible; ++k) {
                const glm::dvec4& c = clip[face.vertIndex[static_cast<std::size_t>(k)]];
                visible = c.w > 0;
                corners[k] = {(c.x / c.w + 1) * image.width / 2.0, (c.y / c.w + 1) * image.height / 2.0,
                              (c.z / c.w + 1) / 2.0};
            }
            if (visible) FillTriangle(image, depth, corners, object.id);
        }
    }
    return image;
}

}  // namespace boxora
