#include "point.h"

const Point2 Point2::Origin(0.0f, 0.0f);
const Point3 Point3::Origin(0.0f, 0.0f, 0.0f);
