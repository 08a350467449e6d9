// The module functions of lorvik.geometry, in their registration order.
#pragma once

#include <Python.h>

#include <span>

namespace lorvik {

std::span<PyMethodDef> geometry_functions() noexcept;

}  // namespace lorvik
