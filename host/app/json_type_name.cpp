#include "host/app/json_type_name.h"

namespace contorra {

std::string JsonTypeName(const nlohmann::json& j) {
    using value_t = nlohmann::json::value_t;
    switch (j.type()) {
    case value_t::null:
        return "null";
    case value_t::boolean:
        return "true or false";
    case value_t::string:
        return "a string";
    case value_t::array:
        return "a list";
    case value_t::object:
        return "an object";
    case value_t::number_integer:
    case value_t::number_unsigned:
        return "an integer";
    case value_t::number_float:
        return "a number";
    default:
        return "something else";
    }
}

} // namespace contorra
