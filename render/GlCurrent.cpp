#include "render/GlCurrent.h"

#include <GL/osmesa.h>

bool HasCurrentGlContext() { return OSMesaGetCurrentContext() != nullptr; }
