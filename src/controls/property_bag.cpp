#include "controls/property_bag.h"

namespace tessaly {

Colour ResolveColour(Colour colour, const std::function<Colour(int)>& system) {
    if (!(colour & kSystemColourFlag))
        return colour & 0x00FFFFFFu;
    return system ? system(static_cast<int>(colour & 0xFFu)) & 0x00FFFFFFu : 0;
}

} // namespace tessaly
