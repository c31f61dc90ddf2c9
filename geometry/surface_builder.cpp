#include "geometry/surface_builder.h"

#include "geometry/front_queue.h"

SurfaceBuilder::SurfaceBuilder() = default;
SurfaceBuilder::~SurfaceBuilder() = default;
