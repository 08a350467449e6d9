// The binding layer: everything a class file needs to declare its members.
#pragma once

#include "binding/args.hpp"           // IWYU pragma: export
#include "binding/class_builder.hpp"  // IWYU pragma: export
#include "binding/convert.hpp"        // IWYU pragma: export
#include "binding/entries.hpp"        // IWYU pragma: export
#include "binding/errors.hpp"         // IWYU pragma: export
#include "binding/instance.hpp"       // IWYU pragma: export
#include "binding/messages.hpp"       // IWYU pragma: export
#include "binding/owned.hpp"          // IWYU pragma: export
#include "binding/sequence.hpp"       // IWYU pragma: export
