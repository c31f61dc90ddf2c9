#pragma once
// How JSON readers name the kind of value they found in their messages.
#include <nlohmann/json.hpp>
#include <string>

namespace contorra {

// "null", "true or false", "a string", "a list", "an object", "an integer",
// "a number".
std::string JsonTypeName(const nlohmann::json& j);

} // namespace contorra
