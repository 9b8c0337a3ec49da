#pragma once
// A device layer for libwmf's metafile player that draws with cairo: full
// colour, antialiased, on a transparent surface. libwmf interprets the
// records, keeps the device context and maps coordinates; this layer only
// draws what it is told in the player's device units.
#if defined(BOXORA_HAVE_LIBWMF) && defined(BOXORA_HAVE_RSVG)
#include <cairo.h>
#include <libwmf/api.h>

namespace imagecodec::metafile {

struct WmfCairoTarget {
    cairo_t* cr = nullptr;       // already mapped so that device units land on the picture
    double unitsPerPixel = 1.0;  // device units per picture pixel (hairline pens)
};

// Installs the device; pass it as wmfAPI_Options::function.
void WmfCairoDevice(wmfAPI* api);

// The drawing target of an API created with that device (set cr before
// wmf_play); null for any other device.
WmfCairoTarget* WmfCairoTargetOf(wmfAPI* api);

}  // namespace imagecodec::metafile

#endif
