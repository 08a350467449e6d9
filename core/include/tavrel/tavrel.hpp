// The whole tavrel library.
#pragma once

#include "tavrel/angle.hpp"
#include "tavrel/display.hpp"
#include "tavrel/expected.hpp"
#include "tavrel/geometry/circle.hpp"
#include "tavrel/geometry/intersection.hpp"
#include "tavrel/geometry/plane.hpp"
#include "tavrel/quat.hpp"
#include "tavrel/siphash.hpp"
#include "tavrel/vec3d.hpp"
