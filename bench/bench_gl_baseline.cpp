// Baseline costs of the OpenGL work a render job repeats, on an OSMesa
// context: clears, a small lit scene, accumulation, read-back and surface
// resizing, at preview and render sizes, with and without a scissor
// rectangle (half the width and height). Prints milliseconds (median of the
// repetitions) per operation:
//   resize  a fresh surface of that size (1 × 1 before)
//   clear   colour, depth and stencil     clracc  the accumulation buffer
//   scene   a small lit scene (~800 triangles)
//   accum   glAccum(GL_ACCUM)             return  glAccum(GL_RETURN)
//   pass    clear + scene + accum         8passes one antialiased frame
//   read    glReadPixels of the whole frame into a reused array
//   read+al the same into a new array     finish  glFinish after a change
//
//   bench_gl_baseline [repetitions]      (default 5)
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "render/CameraGl.h"
#include "render/LightingState.h"
#include "render/OsMesaContext.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int repetitions, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        work();
        glFinish();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A few hundred lit, depth-tested triangles standing on the floor, about
// what one package model gives.
void DrawSmallScene(GLUquadric* quadric) {
    glColor3f(0.8f, 0.3f, 0.2f);
    glPushMatrix();
    glTranslatef(0, 40, 0);
    gluSphere(quadric, 40, 24, 16);
    glPopMatrix();
    glColor3f(0.2f, 0.5f, 0.8f);
    glBegin(GL_QUADS);
    const float s = 30;
    const float faces[6][4][3] = {
        {{-s, 0, s}, {s, 0, s}, {s, 2 * s, s}, {-s, 2 * s, s}},
        {{s, 0, -s}, {-s, 0, -s}, {-s, 2 * s, -s}, {s, 2 * s, -s}},
        {{s, 0, s}, {s, 0, -s}, {s, 2 * s, -s}, {s, 2 * s, s}},
        {{-s, 0, -s}, {-s, 0, s}, {-s, 2 * s, s}, {-s, 2 * s, -s}},
        {{-s, 2 * s, s}, {s, 2 * s, s}, {s, 2 * s, -s}, {-s, 2 * s, -s}},
        {{-s, 0, -s}, {s, 0, -s}, {s, 0, s}, {-s, 0, s}},
    };
    const float normals[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    glPushMatrix();
    glTranslatef(90, 0, 0);
    for (int f = 0; f < 6; ++f) {
        glNormal3fv(normals[f]);
        for (int v = 0; v < 4; ++v) glVertex3fv(faces[f][v]);
    }
    glPopMatrix();
    glEnd();
}

void SetUpFrame(int w, int h) {
    glViewport(0, 0, w, h);
    boxora::CameraValues values;
    const auto camera = boxora::ComputeCamera(values, w, h);
    boxora::ApplyProjectionAndCamera(camera);
    boxora::ApplySceneTransform(camera);
    boxora::SetFrameLighting(20, {59, 100, 163, 1}, {-150, 35, 126, 1});
}

struct Row {
    std::string label;
    double resize, clear, clearAccum, scene, accum, accumReturn, pass, eightPasses, readPixels, readFresh, finish;
};

void Print(const Row& r) {
    std::printf("%-20s %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f %8.1f %7.1f %7.1f %7.1f\n", r.label.c_str(), r.resize,
                r.clear, r.clearAccum, r.scene, r.accum, r.accumReturn, r.pass, r.eightPasses, r.readPixels,
                r.readFresh, r.finish);
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string error;
    auto context = boxora::OsMesaContext::Create(&error);
    if (!context) {
        std::fprintf(stderr, "no context: %s\n", error.c_str());
        return 1;
    }
    if (!context->MakeCurrent()) return 1;
    boxora::SetFixedLightingState();
    GLUquadric* quadric = gluNewQuadric();

    std::printf("OSMesa baseline, median of %d, milliseconds\n", repetitions);
    std::printf("%-20s %7s %7s %7s %7s %7s %7s %7s %8s %7s %7s %7s\n", "size", "resize", "clear", "clracc", "scene",
                "accum", "return", "pass", "8passes", "read", "read+al", "finish");

    const int sizes[3][2] = {{800, 600}, {1920, 1080}, {3000, 3000}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        for (bool scissor : {false, true}) {
            Row row;
            row.label = std::to_string(w) + "x" + std::to_string(h) + (scissor ? " scissor/4" : "");
            // Resize away and back to time a fresh surface of this size.
            context->Resize(1, 1);
            const auto start = Clock::now();
            if (!context->Resize(w, h)) {
                std::fprintf(stderr, "cannot make a %dx%d surface\n", w, h);
                return 1;
            }
            row.resize = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            SetUpFrame(w, h);
            if (scissor) {
                glScissor(w / 4, h / 4, w / 2, h / 2);
                glEnable(GL_SCISSOR_TEST);
            }
            glClearColor(1, 1, 1, 0);
            glClear(GL_ACCUM_BUFFER_BIT);
            row.clear = MedianMs(repetitions,
                                 [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT); });
            row.clearAccum = MedianMs(repetitions, [] { glClear(GL_ACCUM_BUFFER_BIT); });
            row.scene = MedianMs(repetitions, [quadric] { DrawSmallScene(quadric); });
            row.accum = MedianMs(repetitions, [] { glAccum(GL_ACCUM, 0.125f); });
            row.accumReturn = MedianMs(repetitions, [] { glAccum(GL_RETURN, 1.0f); });
            row.pass = MedianMs(repetitions, [quadric] {
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                DrawSmallScene(quadric);
                glAccum(GL_ACCUM, 0.125f);
            });
            row.eightPasses = MedianMs(std::max(1, repetitions / 2), [quadric] {
                glClear(GL_ACCUM_BUFFER_BIT);
                for (int i = 0; i < 8; ++i) {
                    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                    DrawSmallScene(quadric);
                    glAccum(i == 0 ? GL_LOAD : GL_ACCUM, 0.125f);
                }
                glAccum(GL_RETURN, 1.0f);
            });
            glDisable(GL_SCISSOR_TEST);
            std::vector<uint8_t> pixels;
            context->ReadPixels(pixels);
            row.readPixels = MedianMs(repetitions, [&] { context->ReadPixels(pixels); });
            // Into a fresh array each time, as a job that allocates its own.
            row.readFresh = MedianMs(repetitions, [&] {
                std::vector<uint8_t> fresh;
                context->ReadPixels(fresh);
            });
            // glFinish after a small change: the renderer copies its colour
            // buffer into ours (the preview hand-over).
            row.finish = MedianMs(repetitions, [] {
                glClear(GL_DEPTH_BUFFER_BIT);
                glBegin(GL_POINTS);
                glVertex3f(0, 0, 0);
                glEnd();
            });
            Print(row);
        }
    }
    gluDeleteQuadric(quadric);
    context->Release();
    return 0;
}
