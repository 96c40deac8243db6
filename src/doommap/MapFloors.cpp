// Floors and ceilings of the sectors.
#include "doommap/MapImportContext.h"

namespace velorina {

void buildFloors(MapImportContext&, const ImportProgress&) {}

}  // namespace velorina
