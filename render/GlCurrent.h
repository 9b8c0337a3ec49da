#pragma once
// Whether the calling thread has a current OpenGL (OSMesa) context. OpenGL
// calls are made only when it has: the user-interface thread never has one,
// and the tests run the engine without contexts.
bool HasCurrentGlContext();
